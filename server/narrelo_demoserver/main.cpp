// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-demoserver: the speech service of Narrelo on the user's own machine (see
// server/CMakeLists.txt for what it is made of, and --help for how to run it).

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/audio_file_cache.h"
#include "server/audio_maker.h"
#include "server/demo_server.h"
#include "server/demo_service.h"
#include "server/server_key.h"
#include "server/server_options.h"
#include "server/service_log.h"
#include "server/unix_listener.h"
#include "server/web_content.h"
#include "speech/speech_engine.h"
#include "speech/speech_synthesiser.h"
#include "turkish/turkish_commands.h"

namespace {

// Written by the signal handler, read by the accepting thread.
std::atomic<bool> StopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Set when the stop came from idleness (--idle-exit) rather than a signal: the first
// process then lets the others finish their own work instead of ending them.
std::atomic<bool> StoppedWhenIdle{false};

void OnStopSignal(int) { StopRequested.store(true); }

// The listening sockets a service manager handed over (LISTEN_PID and LISTEN_FDS, the
// descriptors from 3 on), each with the address it is bound to; empty when there are none.
// The variables are removed, so that nothing started later takes them for its own.
std::vector<std::pair<int, std::string>> InheritedSockets() {
    const char *pid = std::getenv("LISTEN_PID");
    const char *count = std::getenv("LISTEN_FDS");
    std::vector<std::pair<int, std::string>> sockets;
    if (pid == nullptr || count == nullptr || std::strtol(pid, nullptr, 10) != long(::getpid()))
        return sockets;
    const long n = std::strtol(count, nullptr, 10);
    ::unsetenv("LISTEN_PID");
    ::unsetenv("LISTEN_FDS");
    ::unsetenv("LISTEN_FDNAMES");
    constexpr int First = 3;
    for (int fd = First; fd < First + n && fd < First + 64; ++fd) {
        int listening = 0;
        socklen_t size = sizeof listening;
        if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening)
            throw std::runtime_error("descriptor " + std::to_string(fd) +
                                     " handed over is not a listening socket");
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        char text[INET6_ADDRSTRLEN] = "";
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) != 0)
            throw std::runtime_error("descriptor " + std::to_string(fd) + " handed over has no address");
        std::string unixPath;
        if (IsUnixSocket(fd, unixPath)) {
            // A user socket unit's (systemd made it, with the unit's mode): served as the
            // user's own socket, the peer's credentials checked as for one made here.
            sockets.emplace_back(fd, "unix:" + unixPath);
            continue;
        }
        if (bound.ss_family == AF_INET6)
            ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_addr, text, sizeof text);
        else if (bound.ss_family == AF_INET)
            ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(&bound)->sin_addr, text, sizeof text);
        else
            throw std::runtime_error("descriptor " + std::to_string(fd) +
                                     " handed over is neither an IP nor a Unix socket");
        sockets.emplace_back(fd, text);
    }
    return sockets;
}

// Every connection costs a descriptor: the soft bound is raised as far as the hard one allows
// (within reason), so the service's own bounds on connections are what holds.
void RaiseDescriptorLimit() {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur >= files.rlim_max) return;
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 65536);
    ::setrlimit(RLIMIT_NOFILE, &files);
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a waiting accept returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a client that hangs up is an error of that request only
}

}  // namespace

int main(int argc, char **argv) {
    // "split" and "normalise": the Turkish text processing, without serving.
    if (const int status = RunTurkishCommand(argc, argv, std::cin, std::cout, std::cerr); status >= 0)
        return status;
    TServerOptions options;
    try {
        options = ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "narrelo-demoserver: %s\n", e.what());
        return 2;
    }
    if (options.Help) {
        std::fputs(ServerUsage().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("narrelo-demoserver %s\n", NARRELO_VERSION);
        return 0;
    }

    try {
        ResolveDefaults(options);
        RaiseDescriptorLimit();
        InstallSignalHandlers();
        // The listening sockets and one key for all the processes, made before the first
        // process starts a thread: the others are forked from it.
        std::vector<std::pair<int, std::string>> sockets = InheritedSockets();
        // A socket of our own (--user, --socket) is removed again when the service ends.
        std::string ownSocket;
        if (sockets.empty() && !options.Socket.empty()) {
            sockets.emplace_back(UnixListeningSocket(options.Socket), "unix:" + options.Socket);
            ownSocket = options.Socket;
        }
        if (sockets.empty()) sockets.emplace_back(ListeningSocket(options.Bind, options.Port), options.Bind);
        const TServerKey key = TServerKey::LoadOrCreate(options.KeyFile);
        std::fflush(nullptr);
        const pid_t parent = ::getpid();
        std::vector<pid_t> others;
        for (int i = 1; i < options.Processes; ++i) {
            const pid_t child = ::fork();
            if (child < 0) {
                std::perror("narrelo-demoserver: fork");
                break;
            }
            if (child == 0) {
                // Stops with the first process, however that ends.
                ::prctl(PR_SET_PDEATHSIG, SIGTERM);
                if (::getppid() != parent) return 0;
                others.clear();
                break;
            }
            others.push_back(child);
        }
        const bool first = ::getpid() == parent;
        // espeak-ng and its voice load on the engine's thread while the sockets already
        // accept: a service started on demand answers its first request as soon as the
        // voice is there, and a request that comes earlier waits for it in the queue.
        TSpeechEngine engine{TSpeechEngine::TLoadInBackground{}};
        TSpeechSynthesiser synthesiser(engine);
        TAudioFileCache cache(uint64_t(options.MemoryCacheBytes), options.CacheDir,
                              uint64_t(options.DiskCacheBytes));
        TAudioMaker maker(synthesiser, cache);
        // One server per listening socket (a socket unit may hand over an IPv4 and an IPv6
        // one), each with the Host names of its own address.
        std::vector<std::unique_ptr<TServiceShared>> shares;
        std::vector<std::unique_ptr<TDemoServer>> servers;
        for (const auto &[socket, address] : sockets) {
            shares.push_back(std::make_unique<TServiceShared>(TServiceShared{
                options, key, &synthesiser, &cache, TWebContent(options.WebRoot, options.Installer), "", {}}));
            shares.back()->Maker = &maker;
            servers.push_back(std::make_unique<TDemoServer>(*shares.back(), options.Workers));
            servers.back()->Adopt(socket, address);
        }
        if (first) {
            for (size_t i = 0; i < servers.size(); ++i) {
                if (sockets[i].second.rfind("unix:", 0) == 0)
                    std::printf("narrelo-demoserver listening on %s\n", sockets[i].second.c_str());
                else
                    std::printf("narrelo-demoserver listening on http://%s\n", shares[i]->ListenHost.c_str());
                if (ListensBeyondLoopback(sockets[i].second))
                    std::fprintf(stderr,
                                 "narrelo-demoserver: warning: listening on %s, beyond this machine's "
                                 "loopback: anyone who can reach this machine over the network can use "
                                 "this service\n",
                                 sockets[i].second.c_str());
            }
            std::fflush(stdout);
        }
        // A voice that cannot be loaded ends the service, as it did before it listened.
        std::atomic<bool> loadFailed{false};
        std::thread loadWatch([&] {
            try {
                engine.Ready();
            } catch (const std::exception &e) {
                std::fprintf(stderr, "narrelo-demoserver: %s\n", e.what());
                loadFailed = true;
                StopRequested = true;
            }
        });
        // --idle-exit: every server of this process without a connection or a request for
        // that long ends the process the way a stop signal does.
        std::thread idleWatch;
        if (options.IdleExit > 0) {
            idleWatch = std::thread([&] {
                while (!StopRequested.load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(250));
                    double idle = 1e300;
                    for (const auto &server : servers) idle = std::min(idle, server->IdleSeconds());
                    if (idle >= double(options.IdleExit)) {
                        StoppedWhenIdle = true;
                        StopRequested = true;
                    }
                }
            });
        }
        std::vector<std::thread> more;
        for (size_t i = 1; i < servers.size(); ++i)
            more.emplace_back([&, i] { servers[i]->Run(StopRequested); });
        servers[0]->Run(StopRequested);
        for (std::thread &t : more) t.join();
        if (idleWatch.joinable()) idleWatch.join();
        loadWatch.join();
        // A stop signal ends every process; idleness only this one, and the first waits
        // for the others to find themselves idle too (they may still be serving).
        if (!StoppedWhenIdle)
            for (const pid_t other : others) ::kill(other, SIGTERM);
        for (const pid_t other : others) ::waitpid(other, nullptr, 0);
        if (first && !ownSocket.empty()) RemoveUnixSocket(ownSocket);
        FlushLogRepeats();
        if (loadFailed) return 1;
        if (first) std::fprintf(stderr, StoppedWhenIdle ? "narrelo-demoserver: idle, stopped\n"
                                                        : "narrelo-demoserver: stopped\n");
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "narrelo-demoserver: %s\n", e.what());
        return 1;
    }
}
