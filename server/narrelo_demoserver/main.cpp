// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-demoserver: the speech service of Narrelo on the user's own machine (see
// server/CMakeLists.txt for what it is made of, and --help for how to run it).

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
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
#include "server/process_supervisor.h"
#include "server/server_key.h"
#include "server/server_options.h"
#include "server/service_log.h"
#include "server/unix_listener.h"
#include "server/web_content.h"
#include "speech/speech_engine.h"
#include "speech/speech_synthesiser.h"
#include "turkish/turkish_commands.h"

namespace {

// Written by the signal handlers, read by the accepting thread: a stop of either kind, a
// stop for good (SIGTERM, SIGINT), a restart (SIGHUP) unless a stop for good came after it.
std::atomic<bool> StopRequested{false};
std::atomic<bool> RestartRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Set when the stop came from idleness (--idle-exit) rather than a signal.
std::atomic<bool> StoppedWhenIdle{false};

void OnStopSignal(int) {
    RestartRequested.store(false);
    StopRequested.store(true);
}

void OnRestartSignal(int) {
    RestartRequested.store(true);
    StopRequested.store(true);
}

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
    action.sa_handler = OnRestartSignal;
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a client that hangs up is an error of that request only
    // A restart held these back until the handlers were in place (ExecWithSockets).
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&held, signal);
    sigprocmask(SIG_UNBLOCK, &held, nullptr);
}

// Says on standard output where the service listens ("narrelo-demoserver listening on
// http://ADDR:PORT", what a starter waits for), and warns of an address beyond loopback.
void Announce(const std::vector<std::pair<int, std::string>> &sockets) {
    for (const auto &[socket, address] : sockets) {
        if (address.rfind("unix:", 0) == 0) {
            std::printf("narrelo-demoserver listening on %s\n", address.c_str());
            continue;
        }
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&bound), &length);
        const int port = bound.ss_family == AF_INET6
                             ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
                             : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
        std::printf("narrelo-demoserver listening on http://%s\n",
                    HostForUrl(address, port).c_str());
        if (ListensBeyondLoopback(address))
            std::fprintf(stderr,
                         "narrelo-demoserver: warning: listening on %s, beyond this machine's "
                         "loopback: anyone who can reach this machine over the network can use "
                         "this service\n",
                         address.c_str());
    }
    std::fflush(stdout);
}

// Serves `sockets` until a stop. Returns true for a restart: the requests in hand were
// answered, and `sockets` are still open and listening, for the restarted program.
bool Serve(const TServerOptions &options, std::vector<std::pair<int, std::string>> &sockets,
           const TProgramFile &program, bool announce) {
    const TServerKey key = TServerKey::LoadOrCreate(options.KeyFile);
    // espeak-ng and its voice load on the engine's thread while the sockets already accept:
    // a service started on demand answers its first request as soon as the voice is there,
    // and a request that comes earlier waits for it in the queue.
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
        shares.push_back(std::make_unique<TServiceShared>(
            TServiceShared{options,
                           key,
                           &synthesiser,
                           &cache,
                           TWebContent(options.WebRoot, options.Installer),
                           "",
                           {}}));
        shares.back()->Maker = &maker;
        servers.push_back(std::make_unique<TDemoServer>(*shares.back(), options.Workers));
        servers.back()->Adopt(socket, address);
    }
    if (announce) Announce(sockets);  // ready: the key read, the engine loading
    // A voice that cannot be loaded ends the service, as it did before it listened.
    std::string loadFailure;
    std::thread loadWatch([&] {
        try {
            engine.Ready();
        } catch (const std::exception &e) {
            loadFailure = e.what();
            RestartRequested = false;
            StopRequested = true;
        }
    });
    // --idle-exit: every server of this process without a connection or a request for that
    // long ends the process the way a stop signal does; so does the program file removed or
    // replaced (the package was removed or upgraded), at the first check that finds it idle.
    std::thread idleWatch;
    if (options.IdleExit > 0) {
        idleWatch = std::thread([&] {
            for (int tick = 1; !StopRequested.load(); ++tick) {
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
                double idle = 1e300;
                for (const auto &server : servers) idle = std::min(idle, server->IdleSeconds());
                bool stop = idle >= double(options.IdleExit);
                if (!stop && idle > 0 && tick % 4 == 0 && program.Replaced()) {
                    LogMessage("the program file " + program.Path() +
                               " was removed or replaced: stopping");
                    stop = true;
                }
                if (stop) {
                    StoppedWhenIdle = true;
                    RestartRequested = false;
                    StopRequested = true;
                }
            }
        });
    }
    std::vector<std::thread> more;
    for (size_t i = 1; i < servers.size(); ++i)
        more.emplace_back([&, i] { servers[i]->Run(StopRequested, &RestartRequested); });
    servers[0]->Run(StopRequested, &RestartRequested);
    for (std::thread &t : more) t.join();
    if (idleWatch.joinable()) idleWatch.join();
    loadWatch.join();
    if (!loadFailure.empty()) throw std::runtime_error(loadFailure);
    if (!RestartRequested.load()) return false;
    for (size_t i = 0; i < servers.size(); ++i) {
        const int listener = servers[i]->TakeListener();
        if (listener < 0) return false;  // its server ended otherwise: no restart
        sockets[i].first = listener;
    }
    return true;
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
        const TProgramFile program = TProgramFile::OfThisProcess();
        const std::vector<std::string> arguments(argv, argv + argc);
        const bool supervised = IsSupervised();
        // The listening sockets, made (or taken over) before anything else.
        std::vector<std::pair<int, std::string>> sockets = InheritedSockets();
        // A socket of our own (--user, --socket) is removed again when the service ends; one
        // handed over by a restart of this same service (SIGHUP) is still ours.
        std::string ownSocket;
        if (!options.Socket.empty()) {
            for (const auto &[socket, address] : sockets)
                if (address == "unix:" + options.Socket) ownSocket = options.Socket;
            if (sockets.empty()) {
                sockets.emplace_back(UnixListeningSocket(options.Socket), "unix:" + options.Socket);
                ownSocket = options.Socket;
            }
        }
        if (sockets.empty()) sockets.emplace_back(ListeningSocket(options.Bind, options.Port), options.Bind);
        if (options.Processes > 1 && !supervised) {
            // The key is checked here, so a refused one stops the start with its reason.
            TServerKey::LoadOrCreate(options.KeyFile);
            Announce(sockets);
            std::vector<int> descriptors;
            for (const auto &[socket, address] : sockets) descriptors.push_back(socket);
            const int status =
                SuperviseProcesses(program.Path(), arguments, descriptors, options.Processes);
            // The service ends with its supervisor: a socket of its own goes with it.
            if (!ownSocket.empty()) RemoveUnixSocket(ownSocket);
            return status;
        }
        for (;;) {
            if (!Serve(options, sockets, program, !supervised)) break;
            // SIGHUP: the requests in hand are answered; the same process starts again from
            // the program file as it is now, with the listening sockets still open.
            FlushLogRepeats();
            std::vector<int> descriptors;
            for (const auto &[socket, address] : sockets) descriptors.push_back(socket);
            if (!supervised) LogMessage("SIGHUP: restarting from " + program.Path());
            std::fflush(nullptr);
            const std::string why = ExecWithSockets(program.Path(), arguments, descriptors);
            LogMessage("cannot restart from " + program.Path() + " (" + why +
                       "): serving on as before");
            StopRequested = false;
            RestartRequested = false;
        }
        FlushLogRepeats();
        if (!supervised && !ownSocket.empty()) RemoveUnixSocket(ownSocket);
        if (!supervised)
            std::fprintf(stderr, StoppedWhenIdle ? "narrelo-demoserver: idle, stopped\n"
                                                 : "narrelo-demoserver: stopped\n");
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "narrelo-demoserver: %s\n", e.what());
        return 1;
    }
}
