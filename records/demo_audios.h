// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoAudios: a list of audio records. It always owns its items: destroying the list
// destroys every item in index order.

#include <cstdint>

#include "foundation/my_string.h"
#include "records/demo_audio.h"
#include "records/valtrosa_files.h"

class TDemoAudios : public TValtrosaFiles {
public:
    TDemoAudios() { OwnsItems = true; }

    TDemoAudio *Get(int32_t index) const override {
        return static_cast<TDemoAudio *>(TValtrosaFiles::Get(index));
    }
    TDemoAudio *CreateItem() override { return new TDemoAudio; }
};

// The index of the first item of `list` (scanning from 0) whose Text equals `text` under
// MyString::Equals (case-insensitive with the Turkish letter pairs; an absent text equals
// only an absent text) and whose IsXml, Speaker, Volume, Speed and FileType all equal the
// given values; -1 when there is none. The text is compared first.
int32_t FindAudio(const TDemoAudios &list, const MyString &text, bool isXml, int32_t speaker,
                  int32_t volume, int32_t speed, int32_t fileType);
