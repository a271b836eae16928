// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNarreloText: one text submitted for reading, with the sentences the service split it
// into. The text owns its sentences.
//
// Body (record encoding of stream_rw.h): Text String, IsXml Byte, Speaker Int32,
// Sentences List of TNarreloCumle bodies.

#include <cstdint>

#include "foundation/my_string.h"
#include "records/narrelo_cumles.h"
#include "records/valtrosa_file.h"

class TNarreloText : public TValtrosaFile {
public:
    TNarreloText() { Sentences.OwnsItems = true; }

    MyString Text;          // the whole submitted text
    bool IsXml = false;     // it was submitted as XML
    int32_t Speaker = -1;   // the speaker it is read with
    TNarreloCumles Sentences;  // owned, in text order

    void Clear() override {}
    void ReadFromStream() override;
    void WriteToStream() override;
    // An empty Text, IsXml, Speaker and an empty list.
    int32_t MinimalBodySize() const override { return 13; }
};
