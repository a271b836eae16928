// SPDX-License-Identifier: GPL-3.0-or-later
// What the Ogg Vorbis encoder's settings cost and what they do to the sound, for the
// service's own speech (16,000 Hz mono, both reading styles): for each setting, the
// encoder's CPU per second of audio (the thread's CPU clock, rounds interleaved across the
// settings so a busy machine weighs on all alike), the bit rate, and the decoded sound
// against the speech before encoding: the waveform's difference (dB of the speech's RMS)
// and the log-spectral distance (dB, over 32 ms frames of speech, 0 to 8 kHz), the closer
// measure of what is heard. docs/encoder.md has the figures and the choice.
//
//   bench_vorbis_settings [rounds]

#include <time.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "server/audio_encoding.h"
#include "speech/speech_synthesiser.h"

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::vector<int16_t> Decoded(const std::string &ogg) {
    TMemoryStream pcm(1 << 16);
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    std::vector<int16_t> samples(size_t(pcm.DataSize()) / 2);
    if (!samples.empty()) std::memcpy(samples.data(), pcm.Memory(), samples.size() * 2);
    return samples;
}

constexpr size_t Frame = 512;  // 32 ms
constexpr size_t Hop = 256;

void Fft(std::vector<std::complex<double>> &a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2 * M_PI / double(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1);
            for (size_t k = 0; k < length / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
            }
        }
    }
}

// Power spectra of the frames of `samples` (bins 1 .. Frame/2).
std::vector<std::vector<double>> Spectra(const std::vector<int16_t> &samples) {
    std::vector<std::vector<double>> out;
    for (size_t at = 0; at + Frame <= samples.size(); at += Hop) {
        std::vector<std::complex<double>> a(Frame);
        for (size_t i = 0; i < Frame; ++i)
            a[i] = double(samples[at + i]) * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / Frame));
        Fft(a);
        std::vector<double> power(Frame / 2);
        for (size_t k = 1; k <= Frame / 2; ++k) power[k - 1] = std::norm(a[k]);
        out.push_back(std::move(power));
    }
    return out;
}

struct TQuality {
    double WaveformDb = 0;  // difference against the speech, dB of its RMS
    double SpectralDb = 0;  // log-spectral distance over the speech frames
};

TQuality Compare(const std::vector<int16_t> &speech, const std::vector<int16_t> &decoded) {
    TQuality q;
    const size_t n = std::min(speech.size(), decoded.size());
    double signal = 0, noise = 0;
    for (size_t i = 0; i < n; ++i) {
        signal += double(speech[i]) * speech[i];
        noise += (double(decoded[i]) - speech[i]) * (double(decoded[i]) - speech[i]);
    }
    q.WaveformDb = 10 * std::log10(std::max(noise, 1e-9) / std::max(signal, 1e-9));
    const auto a = Spectra(speech), b = Spectra(std::vector<int16_t>(decoded.begin(), decoded.begin() + long(n)));
    double peak = 0;
    std::vector<double> energy(a.size(), 0);
    for (size_t f = 0; f < a.size(); ++f) {
        for (double p : a[f]) energy[f] += p, peak = std::max(peak, p);
    }
    const double loudest = a.empty() ? 0 : *std::max_element(energy.begin(), energy.end());
    const double floor = peak * 1e-6;  // 60 dB below the loudest bin
    double sum = 0;
    size_t frames = 0;
    for (size_t f = 0; f < std::min(a.size(), b.size()); ++f) {
        if (energy[f] < loudest * 1e-4) continue;  // silence: 40 dB below the loudest frame
        double d2 = 0;
        for (size_t k = 0; k < a[f].size(); ++k) {
            const double d = 10 * std::log10((a[f][k] + floor) / (b[f][k] + floor));
            d2 += d * d;
        }
        sum += std::sqrt(d2 / double(a[f].size()));
        ++frames;
    }
    q.SpectralDb = frames ? sum / double(frames) : 0;
    return q;
}

struct TCandidate {
    const char *Label;
    TVorbisSettings Settings;
    double Cpu = 0, Audio = 0, Bytes = 0;
    double Waveform = 0, Spectral = 0;
    int Count = 0;
};

}  // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("load average at start: %s\n", LoadAverage().c_str());
    const std::string sentences[] = {
        "Bu sabah erkenden kalkıp bahçedeki çiçekleri suladım ve ardından sıcak bir çay içerek "
        "gazete okudum."_cp,
        "Sahilde yürüdük, martılar uçuyordu."_cp,
        "Toplantı saat 14.30'da başlayacak; lütfen 2. kattaki salona gelin."_cp,
        "Çocuklar parkta top oynarken yaşlı adam bankta oturmuş güvercinlere ekmek atıyordu."_cp,
    };
    std::vector<std::vector<int16_t>> speech;
    {
        TSpeechEngine engine;
        TSpeechSynthesiser synthesiser(engine);
        for (const std::string &sentence : sentences)
            for (int speaker : {1, 2})
                speech.push_back(synthesiser.Speak({sentence, false, speaker, 10, 10, 1}).Samples);
    }
    TCandidate candidates[] = {
        {"quality -0.1", {-0.1f}},
        {"quality 0.0", {0.0f}},
        {"quality 0.1 (service)", {0.1f}},
        {"quality 0.2", {0.2f}},
        {"quality 0.4", {0.4f}},
        {"managed 24 kbit/s", {0, 24000}},
        {"managed 32 kbit/s", {0, 32000}},
        {"managed 40 kbit/s", {0, 40000}},
        {"managed 32 kbit/s, 24-40 hard", {0, 32000, 24000, 40000}},
    };
    for (int r = 0; r < rounds; ++r)
        for (TCandidate &c : candidates)
            for (const std::vector<int16_t> &pcm : speech) {
                const double start = ThreadCpuSeconds();
                const std::string ogg = EncodeOggVorbis(pcm.data(), pcm.size(), OutputSampleRate, 1, c.Settings);
                c.Cpu += ThreadCpuSeconds() - start;
                c.Audio += double(pcm.size()) / OutputSampleRate;
                c.Bytes += double(ogg.size());
                if (r == 0) {
                    const TQuality q = Compare(pcm, Decoded(ogg));
                    c.Waveform += q.WaveformDb;
                    c.Spectral += q.SpectralDb;
                    ++c.Count;
                }
            }
    std::printf("%d sentences x 2 reading styles, %d interleaved rounds\n", int(std::size(sentences)), rounds);
    std::printf("  %-32s %10s %9s %10s %10s\n", "setting", "CPU ms/s", "kbit/s", "wave dB", "LSD dB");
    for (const TCandidate &c : candidates)
        std::printf("  %-32s %10.2f %9.1f %10.1f %10.2f\n", c.Label, 1000 * c.Cpu / c.Audio,
                    8 * c.Bytes / c.Audio / 1000, c.Waveform / c.Count, c.Spectral / c.Count);
    std::printf("load average at the end: %s\n", LoadAverage().c_str());
    return 0;
}
