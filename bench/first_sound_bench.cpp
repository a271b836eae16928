// SPDX-License-Identifier: GPL-3.0-or-later
// How soon a reading is heard and how the service uses the cores, against the real
// narrelo-demoserver process (started here on a loopback port) and espeak-ng itself, all in
// one run and interleaved round by round, so a machine busy with other work weighs on both
// sides alike.
//
//   first sound: per round, espeak-ng's first audio byte (its process start included, as
//   `espeak-ng --stdout` for the same sentence) and then the service's first sample of a new
//   15-word sentence (Synthesise, GetSynthesisedFile, decoding); the ratio of the two per
//   round, median over the rounds.
//   throughput: seconds of audio per second of real time with one and with two clients
//   reading new sentences, against a service of one process (one speech engine) and one of
//   two processes; rounds alternate between the four. With each: the service's CPU (every
//   process) per second of audio.
//
//   seam: the sentences answered in parts (cut after their first clause), spoken in this
//   process with the service's own synthesiser, both reading styles: the parts decoded and
//   joined against the unbroken speech (tests/support/seam_measure.h): the noise within
//   10 ms of the cut against the encoder's own, the largest step there, the length.
//
//   first sound by sentence: the same for new sentences of 5, 15 and 40 words, with a
//   clause boundary and without.
//   cold start: per round, espeak-ng's first audio byte from its spawn, then a new service
//   process spawned: the time to its "listening" line and to the first sample of a new
//   sentence read at once; the ratio of spawn to first sample against espeak-ng, median
//   over the rounds.
//
// The load average at the start and the end is printed: figures taken under load say so.
//
//   bench_first_sound [rounds] [seconds per throughput round]
//   (NARRELO_BENCH_COLD_ONLY=1 in the environment stops after the cold start)

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "records/demo_audios.h"
#include "server/speech_file.h"
#include "service/demo_client.h"
#include "speech/speech_synthesiser.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/seam_measure.h"

namespace {

using TClock = std::chrono::steady_clock;

const std::string Sentence =
    "Bu sabah erkenden kalkıp bahçedeki çiçekleri suladım ve ardından sıcak bir çay içerek "
    "gazete okudum."_cp;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double Milliseconds(TClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// espeak-ng from its start to the first bytes of audio after the WAVE header.
double EspeakFirstAudio(const std::string &utf8) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return -1;
    const TClock::time_point start = TClock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::execlp("espeak-ng", "espeak-ng", "-v", "tr", "--stdout", utf8.c_str(), (char *)nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    size_t got = 0;
    double first = -1;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        got += size_t(n);
        if (first < 0 && got > 44) first = Milliseconds(TClock::now() - start);
    }
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return first;
}

std::atomic<int32_t> NextSpeed{2000};

// One new sentence read by `client` (the speed value makes it new to the service, which
// records it but does not speak it); returns the seconds of audio, `firstSample` the
// milliseconds to its first decoded sample.
double ReadNewSentence(TDemoClient &client, double *firstSample = nullptr,
                       const std::string &sentence = Sentence) {
    const TClock::time_point start = TClock::now();
    TDemoAudios audios;
    client.SynthesiseSentence(sentence.c_str(), 0, 1, 10, NextSpeed++, 1, audios);
    double seconds = 0;
    for (int i = 0; i < audios.Count(); ++i) {
        TDemoAudio &audio = *audios.Get(i);
        client.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
        TMemoryStream pcm(1 << 16);
        DecodeOggVorbis(audio.Data.Memory(), audio.Data.DataSize(), pcm);
        if (i == 0 && firstSample) *firstSample = Milliseconds(TClock::now() - start);
        seconds += double(pcm.DataSize()) / 32000.0;
    }
    return seconds;
}

// CPU seconds of `pid` and its children processes so far.
double CpuSeconds(pid_t pid) {
    std::vector<pid_t> pids{pid};
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child; children >> child;) pids.push_back(child);
    double ticks = 0;
    for (const pid_t p : pids) {
        std::ifstream stat("/proc/" + std::to_string(p) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(line.substr(close + 2));
        std::string field;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15) ticks += std::stod(field);
    }
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

struct TThroughput {
    double AudioSeconds = 0, WallSeconds = 0, CpuSeconds = 0;
};

void Throughput(const TDemoServerProcess &server, int clients, double seconds, TThroughput &sum) {
    const std::string endpoint = server.Endpoint();
    std::vector<double> audio(size_t(clients), 0);
    const double cpuBefore = CpuSeconds(server.Pid());
    const TClock::time_point start = TClock::now();
    const TClock::time_point end = start + std::chrono::duration_cast<TClock::duration>(
                                               std::chrono::duration<double>(seconds));
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            TDemoClient client;
            client.soap_endpoint = endpoint.c_str();
            client.ClientID = "bench";
            for (int i = 0; i < 10000 && TClock::now() < end; ++i) audio[size_t(c)] += ReadNewSentence(client);
        });
    for (std::thread &thread : threads) thread.join();
    sum.WallSeconds += std::chrono::duration<double>(TClock::now() - start).count();
    sum.CpuSeconds += CpuSeconds(server.Pid()) - cpuBefore;
    for (double a : audio) sum.AudioSeconds += a;
}

std::vector<int16_t> Decoded(const std::string &ogg) {
    TMemoryStream pcm(1 << 16);
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    std::vector<int16_t> samples(size_t(pcm.DataSize()) / 2);
    if (!samples.empty()) std::memcpy(samples.data(), pcm.Memory(), samples.size() * 2);
    return samples;
}

void Seams() {
    const std::string sentences[] = {
        Sentence,
        "Sahilde yürüdük, martılar uçuyordu."_cp,
        "Kapı açıktı; içeri girdik ve oturduk."_cp,
        "Gerekenler şunlar: kimlik, iki fotoğraf ve dilekçe."_cp,
        "Yağmur yağıyordu ama biz yine de yürüyüşe çıktık."_cp,
    };
    TSpeechEngine engine;
    TSpeechSynthesiser synthesiser(engine);
    std::printf("seam of the parts against the unbroken speech (dB of the sentence's RMS):\n");
    double worstExcess = -1e9;
    int worstStep = INT32_MIN;
    long worstLength = 0;
    double wholeCpu = 0, partsCpu = 0;  // encoding each sentence whole, and in its parts
    for (const std::string &sentence : sentences)
        for (int speaker : {1, 2}) {
            const TSynthesisRequest whole{sentence, false, speaker, 10, 10, 1};
            const TSpeech speech = synthesiser.Speak(whole);
            const int32_t cut = TSpeechSynthesiser::FirstPartEnd(speech.SpokenText);
            if (cut == 0) continue;
            std::vector<std::vector<int16_t>> parts;
            for (const auto &[from, to] : {std::pair{0, cut}, std::pair{cut, int32_t(speech.SpokenText.size())}}) {
                TSynthesisRequest part = whole;
                part.PartFrom = from;
                part.PartTo = to;
                parts.push_back(Decoded(EncodeSpeechFile(part, speech).Ogg));
            }
            for (int r = 0; r < 5; ++r) {
                double start = ThreadCpuSeconds();
                EncodeSpeechFile(whole, speech);
                wholeCpu += ThreadCpuSeconds() - start;
                start = ThreadCpuSeconds();
                for (const auto &[from, to] : {std::pair{0, cut}, std::pair{cut, int32_t(speech.SpokenText.size())}}) {
                    TSynthesisRequest part = whole;
                    part.PartFrom = from;
                    part.PartTo = to;
                    EncodeSpeechFile(part, speech);
                }
                partsCpu += ThreadCpuSeconds() - start;
            }
            const TSeamMeasure m = MeasureSeams(speech.Samples, parts);
            const TSeam &seam = m.Seams.at(0);
            std::printf("  speaker %d, first part %5.2f s of %5.2f s: seam %6.1f dB, codec %5.1f dB, "
                        "step %4d (unbroken %4d), length %+ld\n",
                        speaker, double(parts[0].size()) / 16000.0,
                        double(speech.Samples.size()) / 16000.0, seam.NoiseDb, m.CodecNoiseDb,
                        seam.JoinedStep, seam.WholeStep, m.LengthDifference);
            worstExcess = std::max(worstExcess, m.WorstExcessDb());
            worstStep = std::max(worstStep, m.WorstStepExcess());
            if (std::labs(m.LengthDifference) > std::labs(worstLength)) worstLength = m.LengthDifference;
        }
    std::printf("  worst: seam %+.1f dB against the codec's noise, step %+d against the unbroken "
                "speech, length %+ld samples\n", worstExcess, worstStep, worstLength);
    std::printf("  encoding in two parts costs %.2fx the CPU of encoding whole (5 interleaved rounds)\n",
                partsCpu / wholeCpu);
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The first sound of new sentences of 5, 15 and 40 words, with a clause boundary and without,
// each against espeak-ng's first audio byte of the same sentence, interleaved round by round.
void FirstSoundBySentence(int rounds, TDemoClient &client) {
    const struct {
        const char *Label;
        std::string Sentence;
    } rows[] = {
        {"5 words, clause", "Sahilde yürüdük, martılar uçuyordu."_cp},
        {"5 words, none", "Bugün hava çok güzel oldu."_cp},
        {"15 words, clause",
         "Bu sabah erkenden kalktım, bahçedeki çiçekleri suladım ve sıcak bir çay içerek gazete okudum."_cp},
        {"15 words, none",
         "Bu sabah erkenden kalkıp bahçedeki bütün çiçekleri tek tek suladıktan sonra gazete okudum."_cp},
        {"40 words, clause",
         "Geçen yaz ailemizle birlikte Karadeniz kıyısındaki küçük bir köye gittik, orada yeşil "
         "yaylaların arasında uzun yürüyüşler yaptık ve akşamları köy kahvesinde oturup yaşlı "
         "amcaların eski zamanlara dair anlattığı hikayeleri dinledik çünkü hepimiz o günleri "
         "merak ediyorduk."_cp},
        {"40 words, none",
         "Geçen yaz ailemizle birlikte Karadeniz kıyısındaki küçük bir köye giderek orada yeşil "
         "yaylaların arasında uzun yürüyüşler yaptıktan sonra akşamları köy kahvesinde oturup "
         "yaşlı amcaların eski zamanlara dair anlattığı bütün hikayeleri büyük bir merakla "
         "dikkatle dinledik."_cp},
    };
    std::printf("first sound by sentence, median of %d interleaved rounds (goal <= 1.2x each):\n",
                rounds);
    for (const auto &row : rows) {
        const std::string utf8 = cp1254::ToUtf8(row.Sentence);
        std::vector<double> espeak, service, ratio;
        for (int r = 0; r < rounds; ++r) {
            const double e = EspeakFirstAudio(utf8);
            double s = -1;
            ReadNewSentence(client, &s, row.Sentence);
            espeak.push_back(e);
            service.push_back(s);
            if (e > 0 && s > 0) ratio.push_back(s / e);
        }
        std::printf("  %-17s espeak-ng %7.1f ms, service %7.1f ms, ratio %5.2fx\n", row.Label,
                    Median(espeak), Median(service), Median(ratio));
    }
}

void ColdStart(int rounds, const std::string &utf8) {
    std::vector<double> espeak, listening, first, ratio;
    for (int r = 0; r < rounds; ++r) {
        const double e = EspeakFirstAudio(utf8);
        const TClock::time_point spawn = TClock::now();
        TDemoServerProcess server({"--processes", "1", "--quiet"});
        const double listen = Milliseconds(TClock::now() - spawn);
        const std::string endpoint = server.Endpoint();
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "bench";
        double s = -1;
        ReadNewSentence(client, &s);
        espeak.push_back(e);
        listening.push_back(listen);
        if (s > 0) first.push_back(listen + s);
        if (e > 0 && s > 0) ratio.push_back((listen + s) / e);
    }
    std::printf("cold start, median of %d interleaved rounds:\n", rounds);
    std::printf("  espeak-ng spawn to first audio byte   %8.1f ms\n", Median(espeak));
    std::printf("  service spawn to listening           %8.1f ms\n", Median(listening));
    std::printf("  service spawn to first sample         %8.1f ms\n", Median(first));
    std::printf("  ratio (per round)                     %8.2fx  (goal <= 2x)\n", Median(ratio));
}

}  // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const double seconds = argc > 2 ? std::max(0.5, std::atof(argv[2])) : 3.0;
    std::printf("load average at start: %s\n", LoadAverage().c_str());
    TDemoServerProcess one({"--processes", "1", "--quiet"});
    TDemoServerProcess two({"--processes", "2", "--quiet"});

    const std::string utf8 = cp1254::ToUtf8(Sentence);
    const std::string endpoint = two.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "bench";
    ReadNewSentence(client);  // a session, and both sides warm
    EspeakFirstAudio(utf8);
    std::vector<double> espeak, service, ratio;
    for (int r = 0; r < rounds; ++r) {
        const double e = EspeakFirstAudio(utf8);
        double s = -1;
        ReadNewSentence(client, &s);
        espeak.push_back(e);
        service.push_back(s);
        if (e > 0 && s > 0) ratio.push_back(s / e);
    }
    std::printf("first sound of a new 15-word sentence, median of %d interleaved rounds:\n", rounds);
    std::printf("  espeak-ng first audio byte   %8.1f ms\n", Median(espeak));
    std::printf("  service first sample        %8.1f ms\n", Median(service));
    std::printf("  ratio (per round)            %8.2fx  (goal <= 1.5x)\n", Median(ratio));
    FirstSoundBySentence(rounds, client);
    ColdStart(rounds, utf8);
    if (std::getenv("NARRELO_BENCH_COLD_ONLY")) return 0;

    TThroughput t[2][2];  // [processes - 1][clients - 1]
    for (int r = 0; r < 3; ++r)
        for (int p = 0; p < 2; ++p)
            for (int c = 0; c < 2; ++c) Throughput(p == 0 ? one : two, c + 1, seconds, t[p][c]);
    std::printf("throughput (3 interleaved rounds of %.1f s each):\n", seconds);
    for (int p = 0; p < 2; ++p)
        for (int c = 0; c < 2; ++c)
            std::printf("  %d process(es), %d client(s): %7.1f xRT, %6.1f ms CPU per audio second\n",
                        p + 1, c + 1, t[p][c].AudioSeconds / t[p][c].WallSeconds,
                        1000 * t[p][c].CpuSeconds / t[p][c].AudioSeconds);
    const auto xrt = [&](int p, int c) { return t[p][c].AudioSeconds / t[p][c].WallSeconds; };
    std::printf("  two clients vs one, 1 process:  %5.2fx\n", xrt(0, 1) / xrt(0, 0));
    std::printf("  two clients vs one, 2 processes: %5.2fx  (goal >= 1.7x on an idle 2-core machine)\n",
                xrt(1, 1) / xrt(1, 0));
    Seams();
    std::printf("load average at the end: %s\n", LoadAverage().c_str());
    return 0;
}
