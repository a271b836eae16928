// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/ogg_file_device.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "records/ogg_vorbis_encoder.h"

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

bool TOggFileAudioDevice::WritePages(std::FILE *file, const std::string &pages) {
    return pages.empty() || std::fwrite(pages.data(), pages.size(), 1, file) == 1;
}

bool TOggFileAudioDevice::BeginFile(std::FILE *file, const TAudioFormat &format) {
    if (format.BitsPerSample != 16) {
        errno = EINVAL;
        return false;
    }
    channels_ = format.Channels;
    try {
        // Serial number 1 and the speech's settings, as the service's own files.
        encoder_ = std::make_unique<TOggVorbisEncoder>(format.Channels, long(format.SamplesPerSec),
                                                       1, "narrelo-say");
    } catch (const std::runtime_error &) {
        errno = EINVAL;
        return false;
    }
    std::string pages;
    encoder_->Headers(pages);
    return WritePages(file, pages);
}

bool TOggFileAudioDevice::PutSamples(std::FILE *file, const uint8_t *data, int32_t length) {
    if (!encoder_) return false;
    std::string pages;
    encoder_->WriteLittleEndian(data, size_t(length / (2 * channels_)), pages);
    return WritePages(file, pages);
}

bool TOggFileAudioDevice::EndFile(std::FILE *file) {
    if (!encoder_) return false;
    std::string pages;
    encoder_->Finish(pages);
    encoder_.reset();
    return WritePages(file, pages);
}
