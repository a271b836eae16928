// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/wave_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

TBytes Chunk(const char *id, const TBytes &body, uint32_t claimed = 0xffffffffu) {
    TBytes out(id, id + 4);
    const TBytes length = Le32(claimed == 0xffffffffu ? static_cast<uint32_t>(body.size()) : claimed);
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

TBytes Wave(const std::vector<TBytes> &chunks, const char *riff = "RIFF", const char *wave = "WAVE") {
    TBytes out(riff, riff + 4);
    const TBytes size = Le32(0);
    out.insert(out.end(), size.begin(), size.end());
    out.insert(out.end(), wave, wave + 4);
    for (const TBytes &c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

const TBytes Format = {1, 0, 1, 0, 0x80, 0x3e, 0, 0, 0, 0x7d, 0, 0, 2, 0, 16, 0};  // PCM 16 kHz mono 16-bit

class LoadWaveFileTest : public testing::Test {
protected:
    void TearDown() override {
        chmod(path.c_str(), 0600);
        std::remove(path.c_str());
    }
    void Store(const TBytes &bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Loads the file; returns the raised message, or "" with data and format filled.
    std::string Load(TBytes &data, TBytes &format, bool withBuffer = true) {
        TMemoryStream output;
        format.assign(16, 0xee);
        try {
            LoadWaveFile(output, withBuffer ? format.data() : nullptr, 16, path.c_str());
        } catch (const TCustomException &e) {
            return e.Message();
        }
        data.assign(output.Memory(), output.Memory() + output.DataSize());
        return "";
    }
    std::string path = "/tmp/narrelo-wave-" + std::to_string(getpid()) + ".wav";
};

TEST_F(LoadWaveFileTest, ChunkWalk) {
    const TBytes samples = {1, 2, 3, 4, 5, 6};
    const struct {
        const char *label;
        TBytes file;
        TBytes data;
    } cases[] = {
        {"format then data", Wave({Chunk("fmt ", Format), Chunk("data", samples)}), samples},
        {"a LIST chunk before the data", Wave({Chunk("fmt ", Format), Chunk("LIST", {'I', 'N', 'F', 'O', 'x'}), Chunk("data", samples)}),
         samples},
        {"data claiming more than the file holds", Wave({Chunk("fmt ", Format), Chunk("data", samples, 1000)}), samples},
        {"empty data chunk", Wave({Chunk("fmt ", Format), Chunk("data", {})}), {}},
        {"no data chunk", Wave({Chunk("fmt ", Format)}), {}},
        {"format chunk longer than the buffer",
         Wave({Chunk("fmt ", [] { TBytes f = Format; f.resize(40, 0x77); return f; }()), Chunk("data", samples)}), samples},
        {"truncated chunk header at the end", [&] { TBytes f = Wave({Chunk("fmt ", Format), Chunk("data", samples)}); f.push_back('x'); return f; }(),
         samples},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        Store(c.file);
        TBytes data, format;
        ASSERT_EQ(Load(data, format), "");
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(format, Format);
    }
}

TEST_F(LoadWaveFileTest, Refusals) {
    const struct {
        const char *label;
        TBytes file;
        std::string message;
    } cases[] = {
        {"not RIFF", Wave({Chunk("data", {1, 2})}, "RIFX"), "InvalidWaveHdr"},
        {"not WAVE", Wave({Chunk("data", {1, 2})}, "RIFF", "AVI "), "InvalidWaveHdr"},
        {"shorter than the header", {'R', 'I', 'F', 'F', 0, 0}, "InvalidWaveHdr"},
    };
    for (const auto &c : cases) {
        Store(c.file);
        TBytes data, format;
        EXPECT_EQ(Load(data, format), c.message) << c.label;
    }
    Store(Wave({Chunk("fmt ", Format), Chunk("data", {1, 2})}));
    TBytes data, format;
    EXPECT_EQ(Load(data, format, false), "Cannot read to NULL buffer");
    std::remove(path.c_str());
    EXPECT_EQ(Load(data, format), "File Not Opened " + path);
}

// The installed data folder is not writable by the user. (Root ignores the mode, so this
// only bites when the suite runs as an ordinary user.)
TEST_F(LoadWaveFileTest, ReadOnlyFileLoads) {
    Store(Wave({Chunk("fmt ", Format), Chunk("data", {9, 8})}));
    chmod(path.c_str(), 0444);
    TBytes data, format;
    ASSERT_EQ(Load(data, format), "");
    EXPECT_EQ(data, (TBytes{9, 8}));
}

TEST(LoadWaveFile, TheWarningSoundIsInTheOutputFormat) {
    const std::string warn = std::string(NARRELO_FIXTURES) + "/../../../resources/warn.wav";
    TMemoryStream output;
    uint8_t format[16] = {};
    LoadWaveFile(output, format, sizeof format, warn.c_str());
    EXPECT_EQ(TBytes(format, format + 16), Format);
    EXPECT_EQ(output.DataSize(), 24000);  // 0.75 s
}

}  // namespace
