// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/audio_encoding.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include <vorbis/vorbisenc.h>

namespace {

// Samples handed to the analysis at a time.
constexpr size_t BlockSamples = 4096;

// The four libvorbis states, released together in the right order whatever happens.
class TVorbisEncoderState {
public:
    TVorbisEncoderState() {
        vorbis_info_init(&Info);
        vorbis_comment_init(&Comment);
    }
    ~TVorbisEncoderState() {
        if (started_) {
            ogg_stream_clear(&Stream);
            vorbis_block_clear(&Block);
            vorbis_dsp_clear(&Dsp);
        }
        vorbis_comment_clear(&Comment);
        vorbis_info_clear(&Info);
    }
    TVorbisEncoderState(const TVorbisEncoderState &) = delete;
    TVorbisEncoderState &operator=(const TVorbisEncoderState &) = delete;

    void Start(int sampleRate, int serial, const TVorbisSettings &settings) {
        const int result =
            settings.NominalBitrate > 0
                ? vorbis_encode_init(&Info, 1, sampleRate, settings.MaximumBitrate,
                                     settings.NominalBitrate, settings.MinimumBitrate)
                : vorbis_encode_init_vbr(&Info, 1, sampleRate, settings.Quality);
        if (result != 0) throw std::runtime_error("libvorbisenc refused the encoder settings");
        vorbis_analysis_init(&Dsp, &Info);
        vorbis_block_init(&Dsp, &Block);
        ogg_stream_init(&Stream, serial);
        started_ = true;
    }

    vorbis_info Info;
    vorbis_comment Comment;
    vorbis_dsp_state Dsp;
    vorbis_block Block;
    ogg_stream_state Stream;

private:
    bool started_ = false;
};

void Append(std::string &out, const ogg_page &page) {
    out.append(reinterpret_cast<const char *>(page.header), size_t(page.header_len));
    out.append(reinterpret_cast<const char *>(page.body), size_t(page.body_len));
}

// Runs the analysis on what the encoder holds and appends every finished page.
void Drain(TVorbisEncoderState &state, std::string &out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&state.Dsp, &state.Block) == 1) {
        vorbis_analysis(&state.Block, nullptr);
        vorbis_bitrate_addblock(&state.Block);
        while (vorbis_bitrate_flushpacket(&state.Dsp, &packet)) {
            ogg_stream_packetin(&state.Stream, &packet);
            while (ogg_stream_pageout(&state.Stream, &page)) Append(out, page);
        }
    }
}

}  // namespace

std::string EncodeOggVorbis(const int16_t *samples, size_t count, int sampleRate, int serial,
                            const TVorbisSettings &settings) {
    TVorbisEncoderState state;
    state.Start(sampleRate, serial, settings);
    vorbis_comment_add_tag(&state.Comment, "ENCODER", "narrelo-demoserver");

    std::string out;
    out.reserve(count / 2 + 4096);
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&state.Dsp, &state.Comment, &header, &comments, &codebooks);
    ogg_stream_packetin(&state.Stream, &header);
    ogg_stream_packetin(&state.Stream, &comments);
    ogg_stream_packetin(&state.Stream, &codebooks);
    ogg_page page;
    // The headers stand on pages of their own, as decoders expect.
    while (ogg_stream_flush(&state.Stream, &page)) Append(out, page);

    for (size_t done = 0; done < count;) {
        const size_t n = std::min(BlockSamples, count - done);
        float **buffer = vorbis_analysis_buffer(&state.Dsp, int(n));
        for (size_t i = 0; i < n; ++i) buffer[0][i] = float(samples[done + i]) / 32768.0f;
        vorbis_analysis_wrote(&state.Dsp, int(n));
        done += n;
        Drain(state, out);
    }
    vorbis_analysis_wrote(&state.Dsp, 0);  // end of stream
    Drain(state, out);
    while (ogg_stream_flush(&state.Stream, &page)) Append(out, page);
    return out;
}
