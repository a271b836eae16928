// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's attention chime, warn.wav: two soft bell strikes (E6, then C6) in
// the wave output's format (RIFF WAVE, PCM, 16,000 samples per second, mono, 16 bits),
// 0.75 s long.
//
// Usage: narrelo_make_chime <output.wav>
//
// Integer arithmetic only, so that every machine writes the same bytes: each partial is a
// "magic circle" oscillator (x -= e*y, y += e*x) with its coefficient e = 2 sin(pi f / rate)
// given in Q15, and decays exponentially by a per-sample factor given in Q30.

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rate = 16000;
constexpr int Length = Rate * 3 / 4;
constexpr int Attack = 48;     // 3 ms ramp: no click at the strike
constexpr int Release = 320;   // 20 ms fade at the end
constexpr int64_t Radius = int64_t{1} << 24;

struct TPartial {
    int32_t coefficient;  // Q15: 2 sin(pi f / 16000)
    int32_t gain;         // peak in sample units
    int64_t decay;        // Q30 factor per sample: exp(-1 / (tau * 16000))
};

struct TStrike {
    int start;  // sample
    TPartial partials[3];
};

// Fundamental, octave and twelfth of each note; the upper partials fade faster.
const TStrike Strikes[] = {
    {0, {{16778, 9000, 1073473422}, {32437, 3100, 1073182729}, {45934, 1000, 1072623925}}},     // E6
    {2560, {{13372, 9000, 1073473422}, {26181, 3100, 1073182729}, {37889, 1000, 1072623925}}},  // C6
};

void Put16(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    std::vector<int64_t> mix(Length, 0);
    for (const TStrike &strike : Strikes) {
        for (const TPartial &p : strike.partials) {
            int64_t x = Radius, y = 0;
            int64_t envelope = int64_t{1} << 30;
            for (int i = strike.start; i < Length; ++i) {
                x -= (p.coefficient * y) >> 15;
                y += (p.coefficient * x) >> 15;
                int64_t value = ((y * (envelope >> 15)) >> 24) * p.gain >> 15;
                const int age = i - strike.start;
                if (age < Attack) value = value * age / Attack;
                mix[i] += value;
                envelope = (envelope * p.decay) >> 30;
            }
        }
    }
    std::vector<uint8_t> data;
    for (int i = 0; i < Length; ++i) {
        int64_t v = mix[i];
        if (Length - i < Release) v = v * (Length - i) / Release;
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        Put16(data, static_cast<uint16_t>(static_cast<int16_t>(v)));
    }
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    Put32(file, static_cast<uint32_t>(36 + data.size()));
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) file.push_back(static_cast<uint8_t>(c));
    Put32(file, 16);
    Put16(file, 1);         // PCM
    Put16(file, 1);         // mono
    Put32(file, Rate);
    Put32(file, Rate * 2);  // bytes per second
    Put16(file, 2);         // block alignment
    Put16(file, 16);        // bits per sample
    for (char c : {'d', 'a', 't', 'a'}) file.push_back(static_cast<uint8_t>(c));
    Put32(file, static_cast<uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(file.data(), file.size(), 1, out) == 1;
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
