// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline_test_util.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace testutil {

std::vector<uint8_t> ReadFixture(const std::string &name) {
    const std::string path = std::string(NARRELO_FIXTURES) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << path;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint64_t Fnv1a(const void *data, size_t size) {
    uint64_t h = 0xcbf29ce484222325ull;
    const auto *p = static_cast<const uint8_t *>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

namespace {

struct TMemoryFile {
    const std::vector<uint8_t> *bytes;
    size_t position = 0;
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

}  // namespace

std::vector<int16_t> ReferenceDecode(const std::vector<uint8_t> &file, int *channels) {
    TMemoryFile source{&file};
    ov_callbacks callbacks{ReadMemory, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    std::vector<int16_t> out;
    if (ov_open_callbacks(&source, &vf, nullptr, 0, callbacks) != 0) {
        ADD_FAILURE() << "libvorbisfile cannot open the file";
        return out;
    }
    const int ch = ov_info(&vf, -1)->channels;
    if (channels) *channels = ch;
    int section = 0;
    for (;;) {
        float **pcm = nullptr;
        const long frames = ov_read_float(&vf, &pcm, 4096, &section);
        if (frames <= 0) break;
        for (long j = 0; j < frames; ++j) {
            for (int c = 0; c < ch; ++c) {
                const float t = pcm[c][j] * 32767.0f + 0.5f;
                long v = static_cast<long>(std::floor(t));
                if (v > 32767) v = 32767;
                if (v < -32768) v = -32768;
                out.push_back(static_cast<int16_t>(v));
            }
        }
    }
    ov_clear(&vf);
    return out;
}

std::vector<int16_t> ToSamples(const uint8_t *bytes, size_t size) {
    std::vector<int16_t> samples(size / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

}  // namespace testutil
