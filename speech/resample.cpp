// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/resample.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include <soxr.h>

std::vector<int16_t> Resample(const std::vector<int16_t> &input, int inputRate, int outputRate) {
    if (input.empty()) return {};
    if (inputRate == outputRate) return input;
    if (input.size() > MaxResampleSamples)
        throw std::runtime_error("libsoxr: " + std::to_string(input.size()) +
                                 " samples are more than one call resamples");
    // Without dither: libsoxr dithers 16-bit output by default from a seed of its own, so the
    // same speech came out as other samples in every process (and a cache shared by several
    // processes held other bytes for the same request).
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);  // no threads of its own
    soxr_error_t error = nullptr;
    const std::unique_ptr<soxr, void (*)(soxr_t)> resampler(
        soxr_create(inputRate, outputRate, 1, &error, &io, &quality, &runtime), soxr_delete);
    if (error != nullptr || !resampler)
        throw std::runtime_error(std::string("libsoxr: ") + (error ? error : "no memory"));

    // In blocks, so libsoxr's own buffers stay small whatever the length (it does not check
    // its allocations).
    std::vector<int16_t> output;
    output.reserve(size_t(std::ceil(double(input.size()) * outputRate / inputRate)) + 64);
    constexpr size_t Block = 16384;
    int16_t block[Block];
    size_t at = 0;
    for (;;) {
        const bool ending = at == input.size();
        const size_t length = ending ? 0 : std::min(Block, input.size() - at);
        size_t used = 0, produced = 0;
        error = soxr_process(resampler.get(), ending ? nullptr : input.data() + at, length, &used,
                             block, Block, &produced);
        if (error != nullptr) throw std::runtime_error(std::string("libsoxr: ") + error);
        output.insert(output.end(), block, block + produced);
        at += used;
        if (ending && produced == 0) break;  // everything flushed
    }
    return output;
}
