// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSynthesisRequest: everything one audio file is made from. Two equal requests give the
// same bytes, so a request is also the key of the service's audio file cache; a file
// identifier (server/file_id.h) carries one.

#include <cstdint>
#include <string>

struct TSynthesisRequest {
    std::string Text;  // the sentence as submitted, Windows-1254 (an XML document when IsXml)
    bool IsXml = false;
    int32_t Speaker = 1;   // 1 "Akıcı Okuma", 2 "Belirgin Okuma"
    int32_t Volume = 10;   // 10 is normal
    int32_t Speed = 10;    // recorded only: the client changes the tempo on its side
    int32_t FileType = 1;  // 1: Ogg Vorbis, the only type offered
    // A piece of a sentence too long to speak as one: Text is then the words to say as they
    // are (Windows-1254, already read by the Turkish rules), never read again.
    bool IsSpoken = false;
    // A part of the speech of Text (PartTo > 0): the audio from the cut before the word that
    // begins at byte PartFrom of the words spoken (SpokenTextOf) to the cut before the word
    // that begins at byte PartTo, or to the end when no word begins there or later. The
    // parts of one sentence joined are its speech, sample for sample. PartTo 0: the whole.
    int32_t PartFrom = 0;
    int32_t PartTo = 0;

    bool IsPart() const { return PartTo > 0; }

    bool operator==(const TSynthesisRequest &) const = default;
};
