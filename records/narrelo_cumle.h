// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNarreloCumle: one sentence of a submitted text, with the audio items that speak it.
//
// Body (record encoding of stream_rw.h), shared byte for byte with the service:
//   Start Int32, Length Int32, Text String, IsXml Byte, Speaker Int32,
//   ten reserved bytes, Audios List of TDemoAudio bodies
// The reserved bytes are written as zeros; on reading, up to ten are consumed and ignored
// without a length check, so data that ends right after Speaker fails only when the audio
// count is read.

#include <cstdint>

#include "foundation/my_string.h"
#include "records/demo_audios.h"
#include "records/valtrosa_file.h"

inline constexpr int32_t CumleReservedBytes = 10;

class TNarreloCumle : public TValtrosaFile {
public:
    TNarreloCumle() = default;

    int32_t Start = 0;     // character offset of the sentence within the submitted text
    int32_t Length = 0;    // its length in characters (the highlighted range)
    MyString Text;         // sent unchanged for synthesis
    bool IsXml = false;    // sent as IsXML when the sentence is synthesised
    int32_t Speaker = 0;   // the speaker it is read with; part of the sentence-cache key
    TDemoAudios Audios;    // owned, in playing order

    void Clear() override {}
    void ReadFromStream() override;
    void WriteToStream() override;
    // Start, Length, an empty Text, IsXml, Speaker, the reserved bytes and an empty list.
    int32_t MinimalBodySize() const override { return 31; }
};
