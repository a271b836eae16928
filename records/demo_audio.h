// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoAudio: one synthesised piece of speech: the compressed audio file the service made
// for a sentence, the text and synthesis parameters it was made with, and the server's id
// of the file. A sentence owns a TDemoAudios list of them in playing order.
//
// Body (record encoding of stream_rw.h), shared byte for byte with the service:
//   FileType Int32, Text String, SpokenText String, Volume Int32, Speed Int32,
//   IsXml Bool32, Speaker Int32, FileId String, Data Blob
//
// Clear does nothing: reading a body into an item that already holds bytes appends the new
// bytes to Data. Copies are always made into new items.

#include <cstdint>

#include "foundation/memory_stream.h"
#include "foundation/my_string.h"
#include "records/valtrosa_file.h"

class TDemoAudio : public TValtrosaFile {
public:
    TDemoAudio() = default;

    int32_t FileType = -1;  // the file type it was made for (sent as AFileType)
    MyString Text;          // the text it was synthesised from (sent as AText)
    MyString SpokenText;    // whose words count towards the listening limit
    int32_t Volume = 0;     // sent as AVolume
    int32_t Speed = 0;      // sent as ASpeed
    bool IsXml = false;     // sent as IsXML
    int32_t Speaker = -1;   // sent as ASpeaker
    MyString FileId;        // the server's id of the file, to fetch Data when it is empty
    TMemoryStream Data{8192};  // the audio file's bytes (Ogg Vorbis)

    void Clear() override {}
    void ReadFromStream() override;
    void WriteToStream() override;
    // Seven Int32 fields and two Strings, all empty, and an empty Blob.
    int32_t MinimalBodySize() const override { return 36; }
};
