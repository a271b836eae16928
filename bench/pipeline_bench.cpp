// SPDX-License-Identifier: GPL-3.0-or-later
// Tempo change and decoding on one minute of speech, side by side with their peers.
// Every benchmark reports "xRT": seconds of audio handled per second of CPU time. At the
// end the ratios the pipeline is held to are printed with their targets.

#include <benchmark/benchmark.h>
#include <soundtouch/SoundTouch.h>
#include <vorbis/vorbisfile.h>

extern "C" {
#include <sonic.h>
}

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/memory_stream.h"
#include "pipeline/amdf.h"
#include "pipeline/simd_level.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/speed_change.h"
#include "speech_recording.h"
#include "support/plain_speed_change.h"

namespace {

constexpr double Rate = 16000;

void ReportRealTime(benchmark::State &state, size_t inputSamples) {
    state.counters["xRT"] = benchmark::Counter(static_cast<double>(inputSamples) / Rate * state.iterations(),
                                               benchmark::Counter::kIsRate);
}

// The speed setting of the reading form; ChangeSpeed takes 10 - setting.
void BM_ChangeSpeed(benchmark::State &state, TSimdLevel kernel) {
    const std::vector<int16_t> &pcm = SpeechRecording().Pcm;
    const int setting = static_cast<int>(state.range(0));
    const TSimdLevel saved = ActiveSimdLevel();
    if (!SelectSimdLevel(kernel)) {
        state.SkipWithError("kernel not supported here");
        return;
    }
    for (auto _ : state) {
        TMemoryStream out;
        ChangeSpeed(pcm.data(), static_cast<int32_t>(pcm.size() * 2), 10 - setting, out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SelectSimdLevel(saved);
    ReportRealTime(state, pcm.size());
}

void BM_PlainChangeSpeed(benchmark::State &state) {
    const std::vector<int16_t> &pcm = SpeechRecording().Pcm;
    const int setting = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<int16_t> out = plain::ChangeSpeed(pcm, 10 - setting);
        benchmark::DoNotOptimize(out.data());
    }
    ReportRealTime(state, pcm.size());
}

// Tempo given in hundredths (200 = twice as fast).
void BM_SoundTouch(benchmark::State &state) {
    const std::vector<int16_t> &pcm = SpeechRecording().Pcm;
    std::vector<float> in(pcm.begin(), pcm.end());
    for (float &x : in) x /= 32768.0f;
    std::vector<float> out(16384);
    for (auto _ : state) {
        soundtouch::SoundTouch st;
        st.setSampleRate(16000);
        st.setChannels(1);
        st.setTempo(static_cast<double>(state.range(0)) / 100.0);
        for (size_t i = 0; i < in.size(); i += 4096) {
            const size_t n = in.size() - i < 4096 ? in.size() - i : 4096;
            st.putSamples(in.data() + i, static_cast<unsigned>(n));
            while (st.receiveSamples(out.data(), static_cast<unsigned>(out.size())) > 0) {
            }
        }
        st.flush();
        while (st.receiveSamples(out.data(), static_cast<unsigned>(out.size())) > 0) {
        }
        benchmark::DoNotOptimize(out.data());
    }
    ReportRealTime(state, pcm.size());
}

void BM_Sonic(benchmark::State &state) {
    std::vector<int16_t> pcm = SpeechRecording().Pcm;
    std::vector<short> out(16384);
    for (auto _ : state) {
        sonicStream stream = sonicCreateStream(16000, 1);
        sonicSetSpeed(stream, static_cast<float>(state.range(0)) / 100.0f);
        for (size_t i = 0; i < pcm.size(); i += 4096) {
            const int n = static_cast<int>(pcm.size() - i < 4096 ? pcm.size() - i : 4096);
            sonicWriteShortToStream(stream, pcm.data() + i, n);
            while (sonicReadShortFromStream(stream, out.data(), static_cast<int>(out.size())) > 0) {
            }
        }
        sonicFlushStream(stream);
        while (sonicReadShortFromStream(stream, out.data(), static_cast<int>(out.size())) > 0) {
        }
        sonicDestroyStream(stream);
        benchmark::DoNotOptimize(out.data());
    }
    ReportRealTime(state, pcm.size());
}

void BM_DecodeOggVorbis(benchmark::State &state) {
    const TSpeechRecording &r = SpeechRecording();
    for (auto _ : state) {
        TMemoryStream out;
        DecodeOggVorbis(r.Ogg.data(), static_cast<int32_t>(r.Ogg.size()), out);
        benchmark::DoNotOptimize(out.Memory());
    }
    ReportRealTime(state, r.Pcm.size());
}

struct TMemoryFile {
    const std::vector<uint8_t> *bytes;
    size_t position;
};

// libvorbisfile calls this from C: it cannot throw (noexcept says so).
size_t ReadMemory(void *ptr, size_t size, size_t count, void *source) noexcept {
    auto *file = static_cast<TMemoryFile *>(source);
    size_t wanted = size * count;
    const size_t left = file->bytes->size() - file->position;
    if (wanted > left) wanted = left;
    std::memcpy(ptr, file->bytes->data() + file->position, wanted);
    file->position += wanted;
    return size ? wanted / size : 0;
}

// The peer: libvorbisfile reading the same file from memory, 16-bit little-endian signed
// output into the same kind of stream.
void BM_VorbisFileOvRead(benchmark::State &state) {
    const TSpeechRecording &r = SpeechRecording();
    char buffer[4096];
    for (auto _ : state) {
        TMemoryFile source{&r.Ogg, 0};
        OggVorbis_File vf;
        ov_open_callbacks(&source, &vf, nullptr, 0, ov_callbacks{ReadMemory, nullptr, nullptr, nullptr});
        TMemoryStream out;
        int section = 0;
        long got;
        while ((got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
            out.Write(buffer, static_cast<int32_t>(got));
        ov_clear(&vf);
        benchmark::DoNotOptimize(out.Memory());
    }
    ReportRealTime(state, r.Pcm.size());
}

BENCHMARK_CAPTURE(BM_ChangeSpeed, fastest, ActiveSimdLevel())->Arg(5)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChangeSpeed, avx2, TSimdLevel::Avx2)
    ->Arg(5)
    ->Arg(15)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChangeSpeed, sse2, TSimdLevel::Sse2)->Arg(5)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainChangeSpeed)->Arg(5)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundTouch)->Arg(200)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sonic)->Arg(200)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOggVorbis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VorbisFileOvRead)->Unit(benchmark::kMillisecond);

// Console output as usual, plus each benchmark's real-time factor kept for the summary: the
// median when repetitions were asked for, else the single run.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const auto it = run.counters.find("xRT");
            if (it == run.counters.end() || run.error_occurred) continue;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                xrt[name] = it->second.value;
                medians.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !medians.count(name)) {
                xrt[name] = it->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> xrt;
    std::set<std::string> medians;
};

void Ratio(const TSummaryReporter &r, const char *label, const char *mine, const char *peer, double target) {
    const auto a = r.xrt.find(mine), b = r.xrt.find(peer);
    if (a == r.xrt.end() || b == r.xrt.end() || b->second <= 0) return;
    const double ratio = a->second / b->second;
    std::printf("%-44s %7.2fx  (target >= %.1fx) %s\n", label, ratio, target, ratio >= target ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SpeechRecording();  // made before any timing starts
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    Ratio(reporter, "setting 5 vs SoundTouch at tempo 2.0", "BM_ChangeSpeed/fastest/5",
          "BM_SoundTouch/200", 3.0);
    Ratio(reporter, "setting 15 vs SoundTouch at tempo 0.5", "BM_ChangeSpeed/fastest/15",
          "BM_SoundTouch/50", 2.5);
    Ratio(reporter, "setting 20 vs SoundTouch at tempo 0.1", "BM_ChangeSpeed/fastest/20",
          "BM_SoundTouch/10", 2.0);
    Ratio(reporter, "setting 20 vs the plain scalar loop", "BM_ChangeSpeed/fastest/20", "BM_PlainChangeSpeed/20", 12);
    Ratio(reporter, "DecodeOggVorbis vs libvorbisfile ov_read", "BM_DecodeOggVorbis", "BM_VorbisFileOvRead", 1.0);
    benchmark::Shutdown();
    return 0;
}
