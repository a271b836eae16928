// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seam measure: how the pieces of one sentence, played one after the other, differ from
// the sentence heard unbroken, around each cut: the pieces as decoded (16-bit mono at
// 16,000 Hz) against the unbroken sentence's speech before encoding, so the measure
// includes what the encoder does at the edges of a piece.
//
// Levels are in dB against the RMS of the whole sentence. The difference away from the cuts
// is the encoder's own noise; a seam is inaudible when the difference within 10 ms of it is
// no louder than that, and when no sample-to-sample step within 1 ms of it is much larger
// than the whole's largest there (a click is one large step). A piece that ends or begins
// with more or less silence than the unbroken speech shows as a length difference.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct TSeam {
    size_t At = 0;       // the first sample of the later piece
    double NoiseDb = 0;  // the difference within 10 ms of the cut
    int JoinedStep = 0;  // the largest step of the joined pieces within 1 ms of the cut
    int WholeStep = 0;   // the same in the whole
};

struct TSeamMeasure {
    long LengthDifference = 0;  // samples of the joined pieces less those of the whole
    double CodecNoiseDb = 0;    // the difference away from the cuts
    std::vector<TSeam> Seams;

    // How much louder the worst seam's difference is than the codec's own (dB).
    double WorstExcessDb() const {
        double worst = -INFINITY;
        for (const TSeam &seam : Seams) worst = std::max(worst, seam.NoiseDb - CodecNoiseDb);
        return worst;
    }
    // The largest step at a seam less the whole's largest step there (0 or below: no click).
    int WorstStepExcess() const {
        int worst = INT32_MIN;
        for (const TSeam &seam : Seams) worst = std::max(worst, seam.JoinedStep - seam.WholeStep);
        return worst;
    }
};

inline TSeamMeasure MeasureSeams(const std::vector<int16_t> &whole,
                                 const std::vector<std::vector<int16_t>> &pieces) {
    constexpr size_t Near = 160;  // 10 ms
    constexpr size_t Step = 16;   // 1 ms
    TSeamMeasure measure;
    std::vector<int16_t> joined;
    std::vector<size_t> cuts;
    for (const std::vector<int16_t> &piece : pieces) {
        if (!joined.empty()) cuts.push_back(joined.size());
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    measure.LengthDifference = long(joined.size()) - long(whole.size());
    const size_t length = std::min(joined.size(), whole.size());
    const auto dB = [](double power, double reference) {
        return 10.0 * std::log10(std::max(power, 1e-12) / std::max(reference, 1e-12));
    };
    double wholePower = 0;
    for (int16_t s : whole) wholePower += double(s) * double(s);
    wholePower /= double(std::max<size_t>(whole.size(), 1));

    const auto nearCut = [&](size_t i) {
        return std::any_of(cuts.begin(), cuts.end(),
                           [&](size_t c) { return i + Near >= c && i < c + Near; });
    };
    double codec = 0;
    size_t codecCount = 0;
    for (size_t i = 0; i < length; ++i) {
        if (nearCut(i)) continue;
        const double d = double(joined[i]) - double(whole[i]);
        codec += d * d;
        ++codecCount;
    }
    measure.CodecNoiseDb = dB(codec / double(std::max<size_t>(codecCount, 1)), wholePower);

    for (size_t c : cuts) {
        TSeam seam;
        seam.At = c;
        double noise = 0;
        size_t count = 0;
        for (size_t i = c > Near ? c - Near : 0; i < std::min(length, c + Near); ++i, ++count) {
            const double d = double(joined[i]) - double(whole[i]);
            noise += d * d;
        }
        seam.NoiseDb = dB(noise / double(std::max<size_t>(count, 1)), wholePower);
        for (size_t i = std::max<size_t>(c > Step ? c - Step : 0, 1);
             i < std::min(length, c + Step); ++i) {
            seam.JoinedStep =
                std::max(seam.JoinedStep, std::abs(int(joined[i]) - int(joined[i - 1])));
            seam.WholeStep = std::max(seam.WholeStep, std::abs(int(whole[i]) - int(whole[i - 1])));
        }
        measure.Seams.push_back(seam);
    }
    return measure;
}
