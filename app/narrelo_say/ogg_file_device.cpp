// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/ogg_file_device.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

constexpr float Quality = 0.1f;  // as the service encodes its speech

}  // namespace

// libvorbis' and libogg's encoder state, cleared in the reverse order of its making.
struct TOggFileAudioDevice::TEncoder {
    vorbis_info Info;
    vorbis_comment Comment;
    vorbis_dsp_state Dsp;
    vorbis_block Block;
    ogg_stream_state Stream;
    bool DspReady = false;

    TEncoder() {
        vorbis_info_init(&Info);
        vorbis_comment_init(&Comment);
    }
    ~TEncoder() {
        if (DspReady) {
            ogg_stream_clear(&Stream);
            vorbis_block_clear(&Block);
            vorbis_dsp_clear(&Dsp);
        }
        vorbis_comment_clear(&Comment);
        vorbis_info_clear(&Info);
    }
    TEncoder(const TEncoder &) = delete;
    TEncoder &operator=(const TEncoder &) = delete;
};

// An Ogg stream has no 32-bit sizes: no bound on its data.
TOggFileAudioDevice::TOggFileAudioDevice(std::string path)
    : TWavFileAudioDevice(std::move(path), nullptr, UINT64_MAX) {}

TOggFileAudioDevice::~TOggFileAudioDevice() {
    // The base's destructor closes an open file through EndFile, which is this class's no
    // longer: close while the object is whole.
    if (IsOpen()) {
        Reset();
        Close();
    }
}

bool TOggFileAudioDevice::WritePages(std::FILE *file, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&encoder_->Stream, &page) : ogg_stream_pageout(&encoder_->Stream, &page)) {
        if (std::fwrite(page.header, size_t(page.header_len), 1, file) != 1) return false;
        if (page.body_len > 0 && std::fwrite(page.body, size_t(page.body_len), 1, file) != 1) return false;
    }
    return true;
}

bool TOggFileAudioDevice::BeginFile(std::FILE *file, const TAudioFormat &format) {
    if (format.BitsPerSample != 16) {
        errno = EINVAL;
        return false;
    }
    encoder_ = std::make_unique<TEncoder>();
    TEncoder &e = *encoder_;
    channels_ = format.Channels;
    if (vorbis_encode_init_vbr(&e.Info, format.Channels, long(format.SamplesPerSec), Quality) != 0) {
        encoder_.reset();
        errno = EINVAL;
        return false;
    }
    vorbis_comment_add_tag(&e.Comment, "ENCODER", "narrelo-say");
    vorbis_analysis_init(&e.Dsp, &e.Info);
    vorbis_block_init(&e.Dsp, &e.Block);
    ogg_stream_init(&e.Stream, 1);
    e.DspReady = true;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&e.Dsp, &e.Comment, &header, &comments, &codebooks);
    ogg_stream_packetin(&e.Stream, &header);
    ogg_stream_packetin(&e.Stream, &comments);
    ogg_stream_packetin(&e.Stream, &codebooks);
    // The headers end on a page of their own, as decoders expect.
    return WritePages(file, true);
}

bool TOggFileAudioDevice::Encode(std::FILE *file, int32_t frames) {
    TEncoder &e = *encoder_;
    vorbis_analysis_wrote(&e.Dsp, frames);
    while (vorbis_analysis_blockout(&e.Dsp, &e.Block) == 1) {
        vorbis_analysis(&e.Block, nullptr);
        vorbis_bitrate_addblock(&e.Block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&e.Dsp, &packet)) {
            ogg_stream_packetin(&e.Stream, &packet);
            if (!WritePages(file, false)) return false;
        }
    }
    return true;
}

bool TOggFileAudioDevice::PutSamples(std::FILE *file, const uint8_t *data, int32_t length) {
    if (!encoder_) return false;
    const int32_t frames = length / (2 * channels_);
    constexpr int32_t Step = 4096;  // frames handed to the encoder at a time
    for (int32_t done = 0; done < frames; done += Step) {
        const int32_t n = frames - done < Step ? frames - done : Step;
        float **buffer = vorbis_analysis_buffer(&encoder_->Dsp, n);
        for (int32_t i = 0; i < n; ++i)
            for (int32_t c = 0; c < channels_; ++c) {
                const size_t at = (size_t(done + i) * channels_ + size_t(c)) * 2;
                const int16_t sample = int16_t(uint16_t(data[at]) | uint16_t(data[at + 1]) << 8);
                buffer[c][i] = float(sample) / 32768.0f;
            }
        if (!Encode(file, n)) return false;
    }
    return true;
}

bool TOggFileAudioDevice::EndFile(std::FILE *file) {
    if (!encoder_) return false;
    const bool ended = Encode(file, 0) && WritePages(file, true);  // 0 frames: end of stream
    encoder_.reset();
    return ended;
}
