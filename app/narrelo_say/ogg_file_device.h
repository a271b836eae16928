// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound device that encodes the PCM it is given to an Ogg Vorbis file instead of playing
// it (narrelo-say --ogg): the WAVE file device's queueing, pause and reset, with the file
// written as one Vorbis stream of the opened format (16 kHz mono for the speech), quality
// 0.1 as the service's own files, so hours of speech make a file of a sensible size
// (about 4.5 kB per second of sound instead of 32 kB). The path "-" is standard output.
//
// The encoder (records/ogg_vorbis_encoder.h, the one the service's files come from too) is
// made by BeginFile and released by EndFile or the destructor.

#include <memory>
#include <string>

#include "platform/audio_device_wav.h"

class TOggVorbisEncoder;

class TOggFileAudioDevice : public TWavFileAudioDevice {
public:
    explicit TOggFileAudioDevice(std::string path);
    ~TOggFileAudioDevice() override;

protected:
    bool BeginFile(std::FILE *file, const TAudioFormat &format) override;
    bool PutSamples(std::FILE *file, const uint8_t *data, int32_t length) override;
    bool EndFile(std::FILE *file) override;

private:
    // Hands the encoder's finished pages to the file.
    static bool WritePages(std::FILE *file, const std::string &pages);

    std::unique_ptr<TOggVorbisEncoder> encoder_;
    uint16_t channels_ = 1;
};
