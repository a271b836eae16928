// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-demoserver's speed, measured in process: a server on a loopback port with two
// workers, its memory cache and its audio maker (a file is made when it is fetched, a
// sentence's second part ahead), and the real client. Every request differs from all
// before it in its speed value, which the server records but does not speak, so each one
// is made anew, as a client's first reading of a sentence, every item of it fetched.
//
// Besides real time, "cpu_ms" is the CPU time of the whole process (client and server
// threads) per sentence: on a machine busy with other work it tells what a sentence costs.
//
// Reported: milliseconds per 15-word sentence from the request to the finished audio file,
// through SOAP (Synthesise, then GetSynthesisedFile) and for the synthesis alone, split
// into its stages; "xRT", seconds of audio made per second of real time, with one and with
// two clients at once; and milliseconds for a short request (UpdateRequired2) alone and
// while 40 slow clients (each from an address of its own, half of them having sent part of a
// request head, half nothing) hold connections open. The summary compares them with their
// targets.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <thread>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "records/demo_audios.h"
#include "server/audio_encoding.h"
#include "server/audio_file_cache.h"
#include "server/audio_maker.h"
#include "server/demo_server.h"
#include "server/demo_service.h"
#include "server/speech_file.h"
#include "service/demo_client.h"
#include "speech/speech_engine.h"
#include "speech/speech_synthesiser.h"

namespace {

// Fifteen words.
const std::string Sentence =
    "Bu sabah erkenden kalkıp bahçedeki çiçekleri suladım ve ardından sıcak bir çay içerek "
    "gazete okudum."_cp;

// Seconds of 16 kHz audio in an Ogg Vorbis file, from the granule position of its last page.
double SecondsOf(const std::string &ogg) {
    const size_t last = ogg.rfind("OggS");
    if (last == std::string::npos || last + 14 > ogg.size()) return 0;
    uint64_t granule = 0;
    for (int i = 7; i >= 0; --i) granule = (granule << 8) | static_cast<unsigned char>(ogg[last + 6 + i]);
    return double(granule) / OutputSampleRate;
}

// One server for the whole run.
class TBenchServer {
public:
    TBenchServer()
        : synthesiser_(engine_), cache_(256u << 20, "", 0), maker_(synthesiser_, cache_),
          shared_{Options(), TServerKey::FromBytes(std::string(32, 'k')), &synthesiser_, &cache_,
                  TWebContent("", ""), "", {}, &maker_},
          server_(shared_, 2) {
        port_ = server_.Bind("127.0.0.1", 0);
        endpoint_ = "http://127.0.0.1:" + std::to_string(port_) + SoapPath;
        thread_ = std::thread([this] { server_.Run(stop_); });
    }
    ~TBenchServer() {
        stop_ = true;
        thread_.join();
    }
    const std::string &Endpoint() const { return endpoint_; }
    int Port() const { return port_; }
    TSpeechSynthesiser &Synthesiser() { return synthesiser_; }
    TSpeechEngine &Engine() { return engine_; }

private:
    static TServerOptions Options() {
        TServerOptions options;
        options.Quiet = true;
        return options;
    }

    TSpeechEngine engine_;
    TSpeechSynthesiser synthesiser_;
    TAudioFileCache cache_;  // memory only
    TAudioMaker maker_;      // as the service makes files: when fetched, the next part ahead
    TServiceShared shared_;
    TDemoServer server_;
    std::atomic<bool> stop_{false};
    std::string endpoint_;
    int port_ = 0;
    std::thread thread_;
};

TBenchServer &Server() {
    static TBenchServer server;
    return server;
}

// A speed value no request has used before.
int32_t FreshSpeed() {
    static std::atomic<int32_t> next{1000};
    return next++;
}

double ProcessCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The whole round of one new sentence, as the client's synthesis thread makes it; returns
// the seconds of audio.
double ReadOneSentence(TDemoClient &client) {
    TDemoAudios audios;
    client.SynthesiseSentence(Sentence.c_str(), 0, 1, 10, FreshSpeed(), 1, audios);
    // Every item: a sentence with a clause boundary comes in two parts.
    double seconds = 0;
    for (int32_t i = 0; i < audios.Count(); ++i) {
        TDemoAudio &audio = *audios.Get(i);
        client.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
        seconds += SecondsOf(std::string(reinterpret_cast<const char *>(audio.Data.Memory()),
                                         size_t(audio.Data.DataSize())));
    }
    return seconds;
}

void ReportXRT(benchmark::State &state, double audioSeconds) {
    state.counters["xRT"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

// Process CPU per iteration, over all threads (set by the first benchmark thread).
class TCpuMeter {
public:
    explicit TCpuMeter(benchmark::State &state) : state_(state), start_(ProcessCpuMilliseconds()) {}
    ~TCpuMeter() {
        if (state_.thread_index() != 0 || state_.iterations() == 0) return;
        state_.counters["cpu_ms"] =
            (ProcessCpuMilliseconds() - start_) / double(state_.iterations() * state_.threads());
    }

private:
    benchmark::State &state_;
    double start_;
};

void BM_SentenceOverSoap(benchmark::State &state) {
    const std::string endpoint = Server().Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "bench";
    client.EnsureSession("", "");
    double audio = 0;
    {
        TCpuMeter cpu(state);
        for (auto _ : state) audio += ReadOneSentence(client);
    }
    ReportXRT(state, audio);
}

void BM_SynthesiseOnly(benchmark::State &state) {
    const TSynthesisRequest request{Sentence, false, int32_t(state.range(0)), 10, 10, 1};
    double audio = 0;
    {
        TCpuMeter cpu(state);
        for (auto _ : state)
            audio += SecondsOf(SynthesiseFile(Server().Synthesiser(), request).Ogg);
    }
    ReportXRT(state, audio);
}

void BM_Stage_Espeak(benchmark::State &state) {
    const std::string utf8 = cp1254::ToUtf8(Sentence);
    const TVoiceSettings voice = TSpeechSynthesiser::VoiceOf({Sentence, false, 1, 10, 10, 1});
    size_t samples = 0;
    TCpuMeter cpu(state);  // espeak-ng runs on the engine's thread
    for (auto _ : state) samples += Server().Engine().Speak(utf8, voice).size();
    ReportXRT(state, double(samples) / TSpeechEngine::SampleRate);
}

void BM_Stage_Resample(benchmark::State &state) {
    const std::vector<int16_t> speech = Server().Engine().Speak(
        cp1254::ToUtf8(Sentence), TSpeechSynthesiser::VoiceOf({Sentence, false, 1, 10, 10, 1}));
    for (auto _ : state) benchmark::DoNotOptimize(Resample(speech, TSpeechEngine::SampleRate, OutputSampleRate));
    ReportXRT(state, double(speech.size()) / TSpeechEngine::SampleRate * double(state.iterations()));
}

void BM_Stage_Encode(benchmark::State &state) {
    const std::vector<int16_t> samples = Resample(
        Server().Engine().Speak(cp1254::ToUtf8(Sentence),
                                TSpeechSynthesiser::VoiceOf({Sentence, false, 1, 10, 10, 1})),
        TSpeechEngine::SampleRate, OutputSampleRate);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeOggVorbis(samples.data(), samples.size(), OutputSampleRate, 1));
    ReportXRT(state, double(samples.size()) / OutputSampleRate * double(state.iterations()));
}

// Each benchmark thread is one client with its own connection per call.
void BM_Clients(benchmark::State &state) {
    const std::string endpoint = Server().Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "bench";
    client.EnsureSession("", "");
    double audio = 0;
    {
        TCpuMeter cpu(state);
        for (auto _ : state) audio += ReadOneSentence(client);
    }
    ReportXRT(state, audio);
}

// A connection from 127.0.0.`host` to the server that sends `bytes` and then nothing more;
// -1 when it cannot be made.
int SlowConnection(int host, const std::string &bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7F000000u | uint32_t(host));
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    server.sin_port = htons(uint16_t(Server().Port()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    if (!bytes.empty() && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A short request while state.range(0) slow clients hold connections open (for less than
// their 10 s deadline).
void BM_ShortRequestBesideSlowClients(benchmark::State &state) {
    const std::string partial = "POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\nHost: 127.0.0.1:" +
                                std::to_string(Server().Port()) + "\r\nContent-Le";
    std::vector<int> slow;
    for (int i = 0; i < state.range(0); ++i) {
        const int fd = SlowConnection(2 + i, i % 2 == 0 ? partial : "");
        if (fd < 0) {
            state.SkipWithError("cannot open the slow connections");
            break;
        }
        slow.push_back(fd);
    }
    const std::string endpoint = Server().Endpoint();
    IDemoServerbindingProxy client;
    for (auto _ : state) {
        bool required = false;
        if (client.UpdateRequired2(endpoint.c_str(), nullptr, -1, 12, required) != SOAP_OK) {
            state.SkipWithError("the request failed");
            break;
        }
        client.destroy();
    }
    for (int fd : slow) ::close(fd);
}

BENCHMARK(BM_SentenceOverSoap)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_SynthesiseOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Stage_Espeak)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Stage_Resample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Stage_Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Clients)->Threads(1)->Threads(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ShortRequestBesideSlowClients)->Arg(0)->Arg(40)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Console output as usual; each benchmark's time and xRT kept for the summary (the median
// when repetitions were asked for).
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.run_name.str();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && (run.run_type != Run::RT_Iteration || medians.count(name))) continue;
            if (median) medians.insert(name);
            milliseconds[name] = run.GetAdjustedRealTime();
            if (const auto it = run.counters.find("xRT"); it != run.counters.end()) xrt[name] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> milliseconds, xrt;
    std::set<std::string> medians;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Server();  // espeak-ng and the server start before any timing
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n");
    const auto find = [&](const std::map<std::string, double> &values, const char *prefix) {
        for (const auto &[name, value] : values)
            if (name.rfind(prefix, 0) == 0) return value;
        return -1.0;
    };
    const double ready = find(reporter.milliseconds, "BM_SentenceOverSoap");
    const double one = find(reporter.xrt, "BM_Clients/min_time:3.000/real_time/threads:1");
    const double two = find(reporter.xrt, "BM_Clients/min_time:3.000/real_time/threads:2");
    if (ready > 0)
        std::printf("%-48s %8.1f ms  (target <= 40 ms)  %s\n", "15-word sentence, request to finished file",
                    ready, ready <= 40 ? "met" : "MISSED");
    if (one > 0)
        std::printf("%-48s %8.1f xRT (target >= 150)    %s\n", "audio per second, one client", one,
                    one >= 150 ? "met" : "MISSED");
    if (one > 0 && two > 0)
        std::printf("%-48s %8.2fx    (target >= 1.6)    %s\n", "two clients vs one", two / one,
                    two / one >= 1.6 ? "met" : "MISSED");
    const double alone = find(reporter.milliseconds, "BM_ShortRequestBesideSlowClients/0/");
    const double beside = find(reporter.milliseconds, "BM_ShortRequestBesideSlowClients/40/");
    if (alone > 0 && beside > 0) {
        std::printf("%-48s %8.2f ms\n", "short request, no slow clients", alone);
        std::printf("%-48s %8.2f ms  (target <= 1000 ms) %s\n", "short request beside 40 slow clients",
                    beside, beside <= 1000 ? "met" : "MISSED");
    }
    benchmark::Shutdown();
    return 0;
}
