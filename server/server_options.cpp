// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_options.h"

#include <charconv>
#include <algorithm>
#include <filesystem>
#include <thread>
#include <cstdlib>
#include <stdexcept>

#include "foundation/folders.h"
#include "foundation/my_string.h"
#include "platform/user_runtime.h"

namespace {

int64_t ParseNumber(const std::string &option, const std::string &text, int64_t low,
                    int64_t high) {
    int64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || value < low || value > high)
        throw std::invalid_argument(option + " wants a number from " + std::to_string(low) +
                                    " to " + std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

// $name when set and absolute, else $HOME/fallback.
std::string XdgFolder(const char *name, const char *fallback) {
    const char *value = std::getenv(name);
    if (value != nullptr && value[0] == '/') return value;
    const char *home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/" + fallback;
}

}  // namespace

TServerOptions ParseServerOptions(const std::vector<std::string> &arguments) {
    TServerOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::string value;
        bool hasValue = false;
        if (const size_t equals = option.find('='); option.rfind("--", 0) == 0 &&
                                                     equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            hasValue = true;
        }
        const auto next = [&]() -> std::string {
            if (hasValue) return value;
            if (i + 1 >= arguments.size()) throw std::invalid_argument(option + " wants a value");
            return arguments[++i];
        };
        if (option == "--help" || option == "-h") options.Help = true;
        else if (option == "--version") options.Version = true;
        else if (option == "--inline") options.Inline = true;
        else if (option == "--quiet") options.Quiet = true;
        else if (option == "--bind") options.Bind = next();
        else if (option == "--socket") {
            options.Socket = next();
            if (options.Socket.empty() || options.Socket[0] != '/')
                throw std::invalid_argument("--socket wants an absolute path, not \"" + options.Socket + "\"");
        }
        else if (option == "--user") options.UserSocket = true;
        else if (option == "--allow-host") {
            std::string name = next();
            if (name.empty() || name.size() > 255 ||
                name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                       "0123456789.-:[]") != std::string::npos)
                throw std::invalid_argument("--allow-host wants a host name, not \"" + name + "\"");
            options.AllowHosts.push_back(std::move(name));
        }
        else if (option == "--port") options.Port = int(ParseNumber(option, next(), 0, 65535));
        else if (option == "--min-version")
            options.MinVersion = int32_t(ParseNumber(option, next(), INT32_MIN, INT32_MAX));
        else if (option == "--installer") {
            // Without FILE (last, or followed by another option) it offers the package this
            // build made, so the client's update path can be tried end to end.
            if (!hasValue && (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0))
                options.InstallerIsBuiltPackage = true;
            else
                options.Installer = next();
        }
        else if (option == "--key-file") options.KeyFile = next();
        else if (option == "--cache-dir") options.CacheDir = next();
        else if (option == "--web-root") options.WebRoot = next();
        else if (option == "--workers") options.Workers = int(ParseNumber(option, next(), 1, 64));
        else if (option == "--processes") options.Processes = int(ParseNumber(option, next(), 1, 64));
        else if (option == "--idle-timeout")
            options.IdleTimeout = int(ParseNumber(option, next(), 1, 3600));
        else if (option == "--idle-exit")
            options.IdleExit = int(ParseNumber(option, next(), 0, 7 * 86400));
        else if (option == "--session-lifetime")
            options.SessionLifetime = ParseNumber(option, next(), 1, int64_t(100) * 365 * 86400);
        else if (option == "--memory-cache-mb")
            options.MemoryCacheBytes = ParseNumber(option, next(), 0, 1 << 20) << 20;
        else if (option == "--disk-cache-mb")
            options.DiskCacheBytes = ParseNumber(option, next(), 0, 1 << 24) << 20;
        else
            throw std::invalid_argument("unknown option \"" + arguments[i] +
                                        "\" (see --help)");
    }
    if (options.Bind.empty()) throw std::invalid_argument("--bind wants an address");
    if (options.UserSocket && !options.Socket.empty())
        throw std::invalid_argument("--user and --socket name two places; give one");
    return options;
}

std::string BuiltPackagePath(const std::string &executable) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::path folder = fs::path(executable).parent_path(); !folder.empty();
         folder = folder.parent_path()) {
        if (fs::exists(folder / "CMakeCache.txt", error)) {
            const std::string prefix = "narrelo_" NARRELO_VERSION "-", suffix = "_amd64.deb";
            std::string found;
            for (fs::directory_iterator it(folder / "deb", error), end; !error && it != end;
                 it.increment(error)) {
                const std::string name = it->path().filename().string();
                if (name.size() > prefix.size() + suffix.size() && name.starts_with(prefix) &&
                    name.ends_with(suffix) && it->is_regular_file(error) && name > found)
                    found = name;
            }
            return found.empty() ? std::string() : (folder / "deb" / found).string();
        }
        if (folder == folder.root_path()) break;
    }
    return {};
}

void ResolveDefaults(TServerOptions &options) {
    if (options.UserSocket) {
        std::string error;
        options.Socket = UserServiceSocketPath(error);
        if (options.Socket.empty()) throw std::invalid_argument(error);
    }
    if (options.Processes == 0)
        options.Processes = int(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
    if (options.InstallerIsBuiltPackage && options.Installer.empty()) {
        std::error_code error;
        options.Installer = BuiltPackagePath(std::filesystem::read_symlink("/proc/self/exe", error));
        if (options.Installer.empty())
            throw std::invalid_argument(
                "--installer without FILE offers this build's Debian package, and there is none "
                "yet: make it with `scripts/build-deb.sh`, or name a file");
    }
    if (options.KeyFile.empty())
        options.KeyFile = XdgFolder("XDG_CONFIG_HOME", ".config") + "/valtrosa/demoserver.key";
    if (options.CacheDir.empty())
        options.CacheDir = XdgFolder("XDG_CACHE_HOME", ".cache") + "/narrelo-demoserver";
    if (options.WebRoot.empty()) {
        // In the product's data folder, beside the client's files: <data root>/narrelo/web.
        std::error_code error;
        options.WebRoot =
            DataRootFor(std::filesystem::read_symlink("/proc/self/exe", error).string()) + "/" +
            NarreloDataSubFolder + "/web";
    }
}

std::string ServerUsage() {
    return
        "Usage: narrelo-demoserver [options]\n"
        "The Turkish speech service of Narrelo: SOAP at /Project2.DemoServer/soap/IDemoServer,\n"
        "the server list file /demoserver.txt and the web pages over HTTP GET.\n"
        "\n"
        "  --bind ADDR            address to listen on (default 127.0.0.1)\n"
        "  --port N               port (default 8081; 0 picks a free one)\n"
        "  --user                 listen on this user's own socket instead of a port:\n"
        "                         $XDG_RUNTIME_DIR/narrelo/demoserver.sock (folder 0700,\n"
        "                         socket 0600), where Narrelo's programs look for it; without\n"
        "                         a runtime folder, $TMPDIR/narrelo-UID/ (else /tmp/...)\n"
        "  --socket PATH          listen on the Unix socket PATH (mode 0600, in a folder of\n"
        "                         this user's own) instead of a port\n"
        "  --allow-host NAME      also answer requests whose Host is NAME (NAME:PORT: only\n"
        "                         that port); repeatable. Without it only 127.0.0.1, [::1],\n"
        "                         localhost and the --bind address, with the port, are served\n"
        "  --min-version N        clients below this version must update (default 13)\n"
        "  --installer [FILE]     installer offered at /download (default: none; without FILE:\n"
        "                         the Debian package this build tree made)\n"
        "  --inline               put the audio bytes into Synthesise's answer\n"
        "  --key-file PATH        session key (default $XDG_CONFIG_HOME/valtrosa/demoserver.key,\n"
        "                         created with mode 0600 on first start)\n"
        "  --cache-dir PATH       audio file cache (default $XDG_CACHE_HOME/narrelo-demoserver)\n"
        "  --web-root DIR         web pages (default: <data root>/narrelo/web)\n"
        "  --workers N            requests served at once by each process (default 4)\n"
        "  --processes N          processes serving the port together, each with its own\n"
        "                         speech engine (default: one per core)\n"
        "  --idle-timeout S       seconds a connection may stay silent (default 30)\n"
        "  --idle-exit S          exit after S seconds without a connection or a request\n"
        "                         (default 0: never); a service started on demand or by a\n"
        "                         socket unit ends itself this way\n"
        "  --session-lifetime S   seconds a session stays valid (default 30 days)\n"
        "  --memory-cache-mb N    audio kept in memory (default 64)\n"
        "  --disk-cache-mb N      audio kept in the cache folder (default 512)\n"
        "  --quiet                no log line per request on standard error\n"
        "  --help                 this text\n"
        "  --version              the program's version\n"
        "\n"
        "When ready it prints \"narrelo-demoserver listening on http://ADDR:PORT\" (or\n"
        "\"... listening on unix:PATH\"); bound\n"
        "beyond loopback it also warns that anyone who can reach the machine can use it.\n"
        "SIGINT or SIGTERM: finishes the requests in flight and exits.\n"
        "Started by systemd with listening sockets (LISTEN_FDS, socket activation), it serves\n"
        "those instead of binding --bind and --port.\n"
        "\n"
        "Looking at the Turkish text processing without a client (UTF-8 on standard input):\n"
        "  narrelo-demoserver split               each sentence as a JSON string, one a line\n"
        "  narrelo-demoserver normalise [--kind K]  the words the speech engine is given\n"
        "                         (K: 0 text, 1 address, 2 commercial title, 3 person name,\n"
        "                         4 licence plate, 5 phone number)\n";
}
