// SPDX-License-Identifier: GPL-3.0-or-later
// bench_speechd: sd_narrelo against speech-dispatcher's own espeak-ng module
// (sd_espeak-ng, Debian's speech-dispatcher-espeak-ng), both driven the same way over pipes
// as speech-dispatcher drives a module: a new 15-word Turkish sentence each round, the time
// from the end of its SPEAK to the first audio event, then STOP in mid-speech and the time
// to the STOP event. Counters: first_audio_ms and stop_ms (means), stop_max_ms.
//   build/bench/bench_speechd --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "tests/speechd/support/module_pipe.h"

namespace {

using Clock = std::chrono::steady_clock;

const char *const Sentences[] = {
    "Bugün sabah erkenden kalkıp {n} kilometre yürüdük ve sonra güzel bir kahvaltı yaptık.",
    "Toplantı {n} dakika sürdü, herkes kendi görüşünü açıkça söyledi ve sonunda anlaştık.",
    "Kütüphaneden aldığım {n} kitabın hepsini bu ay içinde okuyup geri vermem gerekiyor.",
    "Akşam yemeğinde annemin yaptığı {n} çeşit yemeği sofraya koyduk ve birlikte yedik.",
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BM_Module(benchmark::State &state, const std::string &program, const std::string &config) {
    if (!std::filesystem::exists(program)) {
        state.SkipWithError((program + " is not installed").c_str());
        return;
    }
    TModulePipe module(program, {config});
    module.Send("INIT\n");
    while (auto line = module.Line())
        if (line->rfind("299 ", 0) == 0) break;
    module.Send("AUDIO\naudio_output_method=server\n.\n");
    module.Line();
    module.Line();
    module.Send("SET\nlanguage=tr\n.\n");
    module.Line();
    module.Line();
    double firstSum = 0, stopSum = 0, stopMax = 0;
    int rounds = 0;
    for (auto _ : state) {
        std::string text = Sentences[rounds % 4];
        text.replace(text.find("{n}"), 3, std::to_string(17 + rounds * 3));
        module.Send("SPEAK\n");
        module.Line();
        module.Send(text + "\n.\n");
        const Clock::time_point sent = Clock::now();
        module.Line();  // 200 OK SPEAKING
        std::optional<TModuleItem> item;
        while ((item = module.Item()) && item->Line != "705 AUDIO") {
        }
        const double first = Ms(Clock::now() - sent);
        // Into the sentence, then STOP.
        for (int i = 0; i < 3 && (item = module.Item()) && item->Line == "705 AUDIO"; ++i) {
        }
        module.Send("STOP\n");
        const Clock::time_point stop = Clock::now();
        while ((item = module.Item()) && item->Line != "703 STOP" && item->Line != "702 END") {
        }
        const double stopped = Ms(Clock::now() - stop);
        state.SetIterationTime(first / 1000);
        firstSum += first;
        stopSum += stopped;
        stopMax = std::max(stopMax, stopped);
        ++rounds;
        // Anything left of the stopped message.
        while (module.Item(std::chrono::milliseconds(100))) {
        }
    }
    state.counters["first_audio_ms"] = firstSum / rounds;
    state.counters["stop_ms"] = stopSum / rounds;
    state.counters["stop_max_ms"] = stopMax;
    module.Send("QUIT\n");
}

}  // namespace

BENCHMARK_CAPTURE(BM_Module, sd_narrelo, NARRELO_BINARY_DIR "/speechd/sd_narrelo", "/dev/null")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Module, sd_espeak_ng, "/usr/lib/speech-dispatcher-modules/sd_espeak-ng",
                  "/etc/speech-dispatcher/modules/espeak-ng.conf")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

BENCHMARK_MAIN();
