// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TOggVorbisEncoder: 16-bit PCM to one Ogg Vorbis stream (libvorbisenc), the one encoder of
// every program here: the service's audio files (server/audio_encoding.h) and narrelo-say's
// --ogg file are both made by it. The stream is a pure function of its input: the same
// samples, format, serial number, name and settings give the same bytes, however the samples
// are handed over (the encoder takes them in steps of EncoderStepFrames whatever the calls).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// How libvorbisenc encodes: variable bit rate at a quality (-0.1 to 1.0), the bit rate
// unmanaged; or, with a nominal bit rate, managed (the bit rate manager holds the average,
// and Minimum and Maximum, when given, as hard bounds). The defaults are what the speech is
// encoded with (docs/encoder.md says why).
struct TVorbisSettings {
    float Quality = 0.1f;
    long NominalBitrate = 0;  // > 0: managed instead of a quality
    long MinimumBitrate = -1, MaximumBitrate = -1;
};

class TOggVorbisEncoder {
public:
    // Frames handed to the analysis at a time.
    static constexpr size_t EncoderStepFrames = 4096;

    // A stream of `channels` interleaved channels at `sampleRate`, with serial number
    // `serial`, naming `encoder` in its ENCODER comment. Throws std::runtime_error when
    // libvorbisenc refuses the format or the settings.
    TOggVorbisEncoder(int channels, long sampleRate, int serial, const std::string &encoder,
                      const TVorbisSettings &settings = {});
    ~TOggVorbisEncoder();
    TOggVorbisEncoder(const TOggVorbisEncoder &) = delete;
    TOggVorbisEncoder &operator=(const TOggVorbisEncoder &) = delete;

    // Appends the three header packets, on pages of their own as decoders expect. First.
    void Headers(std::string &out);
    // Takes `frames` frames of interleaved samples and appends the pages finished so far.
    void Write(const int16_t *samples, size_t frames, std::string &out);
    // The same from little-endian bytes, 2 per sample (a WAVE file's data).
    void WriteLittleEndian(const uint8_t *bytes, size_t frames, std::string &out);
    // Ends the stream and appends its last pages. Last.
    void Finish(std::string &out);

private:
    struct TState;
    template <class TSampleAt>
    void Feed(size_t frames, TSampleAt sampleAt, std::string &out);
    void Drain(std::string &out);

    std::unique_ptr<TState> state_;
    int channels_;
};

// A complete mono stream of `count` samples: headers, samples, end. No samples give a valid
// stream of zero length.
std::string EncodeOggVorbis(const int16_t *samples, size_t count, int sampleRate, int serial,
                            const std::string &encoder, const TVorbisSettings &settings = {});
