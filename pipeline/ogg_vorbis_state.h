// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One holder per libogg/libvorbis state used by the decoder. Each holder embeds the library
// struct, knows whether it has been initialised and clears it in its destructor, so every
// exit of a decode (success, early return, exception) releases what was set up.
//
// The holders neither copy nor move: libvorbis keeps raw pointers between its states (the
// DSP state points at the info, the block at the DSP state), so they must stay where they
// were initialised. Declare them in the order info, comment, stream, DSP, block after the
// sync state: destruction then clears block, DSP, stream, comment, info, sync, which is
// the order the libraries expect.

#include <ogg/ogg.h>
#include <vorbis/codec.h>

class TOggSync {
public:
    TOggSync() { ogg_sync_init(&state_); }
    ~TOggSync() { ogg_sync_clear(&state_); }
    TOggSync(const TOggSync &) = delete;
    TOggSync &operator=(const TOggSync &) = delete;
    ogg_sync_state *operator->() { return &state_; }
    ogg_sync_state *Get() { return &state_; }

private:
    ogg_sync_state state_;
};

// Initialised later than constructed: the serial number comes from the first page.
class TOggStream {
public:
    TOggStream() = default;
    ~TOggStream() {
        if (initialised_) ogg_stream_clear(&state_);
    }
    TOggStream(const TOggStream &) = delete;
    TOggStream &operator=(const TOggStream &) = delete;
    void Init(int serialNo) {
        ogg_stream_init(&state_, serialNo);
        initialised_ = true;
    }
    ogg_stream_state *Get() { return &state_; }

private:
    ogg_stream_state state_{};
    bool initialised_ = false;
};

class TVorbisInfo {
public:
    TVorbisInfo() { vorbis_info_init(&info_); }
    ~TVorbisInfo() { vorbis_info_clear(&info_); }
    TVorbisInfo(const TVorbisInfo &) = delete;
    TVorbisInfo &operator=(const TVorbisInfo &) = delete;
    vorbis_info *Get() { return &info_; }
    vorbis_info *operator->() { return &info_; }

private:
    vorbis_info info_;
};

class TVorbisComment {
public:
    TVorbisComment() { vorbis_comment_init(&comment_); }
    ~TVorbisComment() { vorbis_comment_clear(&comment_); }
    TVorbisComment(const TVorbisComment &) = delete;
    TVorbisComment &operator=(const TVorbisComment &) = delete;
    vorbis_comment *Get() { return &comment_; }

private:
    vorbis_comment comment_;
};

// Initialised from a complete info; Init answers false (and holds nothing) on failure.
class TVorbisDsp {
public:
    TVorbisDsp() = default;
    ~TVorbisDsp() {
        if (initialised_) vorbis_dsp_clear(&state_);
    }
    TVorbisDsp(const TVorbisDsp &) = delete;
    TVorbisDsp &operator=(const TVorbisDsp &) = delete;
    bool Init(vorbis_info *info) {
        initialised_ = vorbis_synthesis_init(&state_, info) == 0;
        return initialised_;
    }
    vorbis_dsp_state *Get() { return &state_; }

private:
    vorbis_dsp_state state_{};
    bool initialised_ = false;
};

class TVorbisBlock {
public:
    TVorbisBlock() = default;
    ~TVorbisBlock() {
        if (initialised_) vorbis_block_clear(&block_);
    }
    TVorbisBlock(const TVorbisBlock &) = delete;
    TVorbisBlock &operator=(const TVorbisBlock &) = delete;
    void Init(vorbis_dsp_state *dsp) {
        vorbis_block_init(dsp, &block_);
        initialised_ = true;
    }
    vorbis_block *Get() { return &block_; }

private:
    vorbis_block block_{};
    bool initialised_ = false;
};
