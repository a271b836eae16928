// narrelo-demoserver: the speech service of Narrelo on the user's own machine (see
// server/CMakeLists.txt for what it is made of, and --help for how to run it).

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "server/audio_file_cache.h"
#include "server/audio_maker.h"
#include "server/demo_server.h"
#include "server/demo_service.h"
#include "server/server_key.h"
#include "server/server_options.h"
#include "server/speech_engine.h"
#include "server/speech_synthesiser.h"
#include "server/turkish/turkish_commands.h"
#include "server/web_content.h"

namespace {

// Written by the signal handler, read by the accepting thread.
std::atomic<bool> StopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnStopSignal(int) { StopRequested.store(true); }

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
        InstallSignalHandlers();
        // One listening socket and one key for all the processes, made before the first
        // process starts a thread: the others are forked from it.
        const int listening = ListeningSocket(options.Bind, options.Port);
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
        TSpeechEngine engine;
        TSpeechSynthesiser synthesiser(engine);
        TAudioFileCache cache(uint64_t(options.MemoryCacheBytes), options.CacheDir,
                              uint64_t(options.DiskCacheBytes));
        TServiceShared shared{options, key, &synthesiser, &cache,
                              TWebContent(options.WebRoot, options.Installer), "", {}};
        TAudioMaker maker(synthesiser, cache);
        shared.Maker = &maker;
        TDemoServer server(shared, options.Workers);
        server.Adopt(listening, options.Bind);
        if (first) {
            std::printf("narrelo-demoserver listening on http://%s\n", shared.ListenHost.c_str());
            std::fflush(stdout);
            if (ListensBeyondLoopback(options.Bind))
                std::fprintf(stderr,
                             "narrelo-demoserver: warning: listening on %s, beyond this machine's "
                             "loopback: anyone who can reach this machine over the network can use "
                             "this service\n",
                             options.Bind.c_str());
        }
        server.Run(StopRequested);
        for (const pid_t other : others) ::kill(other, SIGTERM);
        for (const pid_t other : others) ::waitpid(other, nullptr, 0);
        if (first) std::fprintf(stderr, "narrelo-demoserver: stopped\n");
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "narrelo-demoserver: %s\n", e.what());
        return 1;
    }
}
