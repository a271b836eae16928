// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/ogg_vorbis_encoder.h"

#include <algorithm>
#include <stdexcept>

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

// The four libvorbis states and the Ogg stream, released together in the right order
// whatever happens.
struct TOggVorbisEncoder::TState {
    vorbis_info Info;
    vorbis_comment Comment;
    vorbis_dsp_state Dsp;
    vorbis_block Block;
    ogg_stream_state Stream;
    bool Started = false;

    TState() {
        vorbis_info_init(&Info);
        vorbis_comment_init(&Comment);
    }
    ~TState() {
        if (Started) {
            ogg_stream_clear(&Stream);
            vorbis_block_clear(&Block);
            vorbis_dsp_clear(&Dsp);
        }
        vorbis_comment_clear(&Comment);
        vorbis_info_clear(&Info);
    }
    TState(const TState &) = delete;
    TState &operator=(const TState &) = delete;
};

namespace {

void Append(std::string &out, const ogg_page &page) {
    out.append(reinterpret_cast<const char *>(page.header), size_t(page.header_len));
    out.append(reinterpret_cast<const char *>(page.body), size_t(page.body_len));
}

}  // namespace

TOggVorbisEncoder::TOggVorbisEncoder(int channels, long sampleRate, int serial,
                                     const std::string &encoder, const TVorbisSettings &settings)
    : state_(std::make_unique<TState>()), channels_(channels) {
    TState &s = *state_;
    const int result =
        channels < 1 ? -1
        : settings.NominalBitrate > 0
            ? vorbis_encode_init(&s.Info, channels, sampleRate, settings.MaximumBitrate,
                                 settings.NominalBitrate, settings.MinimumBitrate)
            : vorbis_encode_init_vbr(&s.Info, channels, sampleRate, settings.Quality);
    if (result != 0) throw std::runtime_error("libvorbisenc refused the encoder settings");
    vorbis_comment_add_tag(&s.Comment, "ENCODER", encoder.c_str());
    vorbis_analysis_init(&s.Dsp, &s.Info);
    vorbis_block_init(&s.Dsp, &s.Block);
    ogg_stream_init(&s.Stream, serial);
    s.Started = true;
}

TOggVorbisEncoder::~TOggVorbisEncoder() = default;

void TOggVorbisEncoder::Headers(std::string &out) {
    TState &s = *state_;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&s.Dsp, &s.Comment, &header, &comments, &codebooks);
    ogg_stream_packetin(&s.Stream, &header);
    ogg_stream_packetin(&s.Stream, &comments);
    ogg_stream_packetin(&s.Stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&s.Stream, &page)) Append(out, page);
}

// Runs the analysis on what the encoder holds and appends every finished page.
void TOggVorbisEncoder::Drain(std::string &out) {
    TState &s = *state_;
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&s.Dsp, &s.Block) == 1) {
        vorbis_analysis(&s.Block, nullptr);
        vorbis_bitrate_addblock(&s.Block);
        while (vorbis_bitrate_flushpacket(&s.Dsp, &packet)) {
            ogg_stream_packetin(&s.Stream, &packet);
            while (ogg_stream_pageout(&s.Stream, &page)) Append(out, page);
        }
    }
}

template <class TSampleAt>
void TOggVorbisEncoder::Feed(size_t frames, TSampleAt sampleAt, std::string &out) {
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(EncoderStepFrames, frames - done);
        float **buffer = vorbis_analysis_buffer(&state_->Dsp, int(n));
        for (size_t i = 0; i < n; ++i)
            for (int c = 0; c < channels_; ++c)
                buffer[c][i] =
                    float(sampleAt((done + i) * size_t(channels_) + size_t(c))) / 32768.0f;
        vorbis_analysis_wrote(&state_->Dsp, int(n));
        done += n;
        Drain(out);
    }
}

void TOggVorbisEncoder::Write(const int16_t *samples, size_t frames, std::string &out) {
    Feed(
        frames, [samples](size_t at) { return samples[at]; }, out);
}

void TOggVorbisEncoder::WriteLittleEndian(const uint8_t *bytes, size_t frames, std::string &out) {
    Feed(
        frames,
        [bytes](size_t at) {
            return int16_t(uint16_t(bytes[2 * at]) | uint16_t(bytes[2 * at + 1]) << 8);
        },
        out);
}

void TOggVorbisEncoder::Finish(std::string &out) {
    vorbis_analysis_wrote(&state_->Dsp, 0);  // end of stream
    Drain(out);
    ogg_page page;
    while (ogg_stream_flush(&state_->Stream, &page)) Append(out, page);
}

std::string EncodeOggVorbis(const int16_t *samples, size_t count, int sampleRate, int serial,
                            const std::string &encoder, const TVorbisSettings &settings) {
    TOggVorbisEncoder stream(1, sampleRate, serial, encoder, settings);
    std::string out;
    out.reserve(count / 2 + 4096);
    stream.Headers(out);
    stream.Write(samples, count, out);
    stream.Finish(out);
    return out;
}
