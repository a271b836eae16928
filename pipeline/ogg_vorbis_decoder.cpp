// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/ogg_vorbis_decoder.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "foundation/stream.h"
#include "pipeline/ogg_vorbis_state.h"
#include "pipeline/pcm_convert.h"

namespace {

// Written by SetDecoderWarningsShown on any thread, read by every decoding.
std::atomic<bool> warningsShown{true};
std::atomic<int64_t> corruptPages{0};
std::atomic<int64_t> clippedSteps{0};

// The file is handed to the sync state in pieces of this many bytes.
constexpr int32_t PieceSize = 4096;
// Samples the conversion buffer holds (all channels together).
constexpr int ConvBufferSamples = 4096;

// Reads the in-memory file piece by piece into the sync state.
class TPieceFeeder {
public:
    TPieceFeeder(const uint8_t *data, int32_t size) : data_(data), size_(size) {}

    // Copies the next piece into the sync state; returns its length, 0 at the end of input.
    int32_t Feed(TOggSync &sync) {
        char *buffer = ogg_sync_buffer(sync.Get(), PieceSize);
        int32_t bytes = size_ - consumed_;
        if (bytes > PieceSize) bytes = PieceSize;
        if (bytes > 0) std::memcpy(buffer, data_ + consumed_, static_cast<size_t>(bytes));
        else bytes = 0;
        consumed_ += bytes;
        ogg_sync_wrote(sync.Get(), bytes);
        return bytes;
    }

private:
    const uint8_t *data_;
    int32_t size_;
    int32_t consumed_ = 0;
};

// A broken header: the diagnostic line on standard error, then the same text raised.
[[noreturn]] void HeaderFault(const char *text) {
    std::fprintf(stderr, "%s\n", text);
    RaiseError(TErrorCategory::Format, text);
}

// A stream that decodes (or announces it decodes) to more than the budget, refused as a
// header fault is: the diagnostic line, then the same text raised.
[[noreturn]] void BudgetFault() {
    HeaderFault("Decoded audio would exceed the limit of 64 MiB; the stream is refused.");
}

// The granule position (frames) of the last page of the file when that page belongs to
// stream `serial`; 0 when the end of the file does not say.
int64_t LastGranule(const uint8_t *data, int32_t size, long serial) {
    constexpr int32_t HeaderSize = 27;
    constexpr int32_t Window = 65536;  // an Ogg page is at most 65,307 bytes
    const int32_t stop = size > Window ? size - Window : 0;
    for (int32_t at = size - HeaderSize; at >= stop; --at) {
        if (std::memcmp(data + at, "OggS", 4) != 0 || data[at + 4] != 0) continue;
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i) granule = (granule << 8) | data[at + 6 + i];
        uint32_t pageSerial = 0;
        for (int i = 3; i >= 0; --i) pageSerial = (pageSerial << 8) | data[at + 14 + i];
        return pageSerial == uint32_t(serial) && granule > 0 ? granule : 0;
    }
    return 0;
}

// The PCM byte count the stream announces: the granule position (frames) of the last page of
// the file when it belongs to stream `serial`, times 2 bytes per sample. 0 when the end of
// the file does not say, or says something implausible for a file of `size` bytes. Only a
// capacity hint: the decoded bytes decide what is written.
int64_t AnnouncedPcmBytes(const uint8_t *data, int32_t size, long serial, int channels) {
    const int64_t granule = LastGranule(data, size, serial);
    // Vorbis compresses speech about 10 to 50 times; a claim far beyond that is not
    // believed, so a hostile file cannot make us reserve memory it does not fill. A
    // granule of 2^28 or more is refused before the product, which it could overflow.
    constexpr int64_t Limit = int64_t(1) << 28;
    if (granule <= 0 || granule >= Limit) return 0;
    const int64_t bytes = granule * 2 * channels;
    return bytes <= int64_t(size) * 128 && bytes < Limit ? bytes : 0;
}

}  // namespace

void SetDecoderWarningsShown(bool shown) { warningsShown = shown; }

TDecoderWarningCounts DecoderWarningCounts() { return {corruptPages.load(), clippedSteps.load()}; }

void DecodeOggVorbis(const uint8_t *data, int32_t size, TStream &output) {
    DecodeOggVorbis(data, size, output, DecodedSizeBudget);
}

void DecodeOggVorbis(const uint8_t *data, int32_t size, TStream &output, int64_t budget) {
    TPieceFeeder feeder(data, size);
    TOggSync sync;
    TVorbisInfo info;
    TVorbisComment comment;
    TOggStream stream;
    TVorbisDsp dsp;
    TVorbisBlock block;
    ogg_page page;
    ogg_packet packet;

    // Header phase: the first page carries the identification header.
    feeder.Feed(sync);
    if (ogg_sync_pageout(sync.Get(), &page) != 1) return;
    stream.Init(ogg_page_serialno(&page));
    if (ogg_stream_pagein(stream.Get(), &page) < 0)
        HeaderFault("Error reading first page of Ogg bitstream data.");
    if (ogg_stream_packetout(stream.Get(), &packet) != 1)
        HeaderFault("Error reading initial header packet.");
    if (vorbis_synthesis_headerin(info.Get(), comment.Get(), &packet) < 0)
        HeaderFault("This Ogg bitstream does not contain Vorbis audio data.");

    // The comment and setup headers may span several pages.
    int headers = 0;
    while (headers < 2) {
        while (headers < 2) {
            const int result = ogg_sync_pageout(sync.Get(), &page);
            if (result == 0) break;  // more input needed
            if (result < 0) continue;
            ogg_stream_pagein(stream.Get(), &page);
            while (headers < 2) {
                const int got = ogg_stream_packetout(stream.Get(), &packet);
                if (got == 0) break;
                if (got < 0 || vorbis_synthesis_headerin(info.Get(), comment.Get(), &packet) < 0)
                    HeaderFault("Corrupt secondary header.  Exiting.");
                ++headers;
            }
        }
        if (feeder.Feed(sync) == 0 && headers < 2)
            HeaderFault("End of file before finding all Vorbis headers!");
    }

    const int channels = info->channels;
    const int convSize = ConvBufferSamples / channels;
    if (!dsp.Init(info.Get())) {
        std::fprintf(stderr, "Error: Corrupt header during playback initialization.\n");
        return;
    }
    block.Init(dsp.Get());

    // What the last page announces is checked before anything is decoded or reserved; what
    // is really decoded is counted as it comes, since the announcement may be false. The
    // product cannot overflow: a granule is below 2^63 and is compared before multiplying.
    const int64_t frameBytes = int64_t(2) * channels;
    if (LastGranule(data, size, stream.Get()->serialno) > budget / frameBytes) BudgetFault();
    int64_t decodedBytes = 0;

    // Growing a memory stream step by step costs a reallocation per 8 KB of sound: reserve
    // what the file announces at once.
    if (auto *memory = dynamic_cast<TMemoryStream *>(&output)) {
        const int64_t announced = AnnouncedPcmBytes(data, size, stream.Get()->serialno, channels);
        const int64_t end = int64_t(memory->Position()) + announced;
        if (announced > 0 && memory->Position() >= 0 && end > memory->Capacity() && end <= INT32_MAX)
            memory->SetCapacity(int32_t(end));
    }

    int16_t convBuffer[ConvBufferSamples];
    bool endOfStream = false;
    while (!endOfStream) {
        const int result = ogg_sync_pageout(sync.Get(), &page);
        if (result == 0) {
            if (feeder.Feed(sync) == 0) break;
            continue;
        }
        if (result < 0) {
            ++corruptPages;
            if (warningsShown) std::fprintf(stderr, "Corrupt or missing data in bitstream; continuing...\n");
            continue;
        }
        ogg_stream_pagein(stream.Get(), &page);
        for (;;) {
            const int got = ogg_stream_packetout(stream.Get(), &packet);
            if (got == 0) break;
            if (got < 0) continue;  // a hole in the data: skip it
            if (vorbis_synthesis(block.Get(), &packet) == 0)
                vorbis_synthesis_blockin(dsp.Get(), block.Get());
            float **pcm = nullptr;
            int frames;
            while ((frames = vorbis_synthesis_pcmout(dsp.Get(), &pcm)) > 0) {
                const int bout = frames < convSize ? frames : convSize;
                if (ConvertFloatToPcm16(pcm, channels, bout, convBuffer)) {
                    ++clippedSteps;
                    if (warningsShown)
                        std::fprintf(stderr, "Clipping in frame %ld\n", static_cast<long>(dsp.Get()->sequence));
                }
                decodedBytes += frameBytes * bout;
                if (decodedBytes > budget) BudgetFault();
                output.Write(convBuffer, 2 * channels * bout);
                vorbis_synthesis_read(dsp.Get(), bout);
            }
        }
        if (ogg_page_eos(&page)) endOfStream = true;
    }
}
