// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNarreloCumles: a list of sentences. Whether it owns them is up to its owner: a text's
// sentence list does (OwnsItems), the sentence cache does not.

#include <cstdint>

#include "records/narrelo_cumle.h"
#include "records/valtrosa_files.h"

class TNarreloCumles : public TValtrosaFiles {
public:
    TNarreloCumles() = default;

    TNarreloCumle *Get(int32_t index) const override {
        return static_cast<TNarreloCumle *>(TValtrosaFiles::Get(index));
    }
    TNarreloCumle *CreateItem() override { return new TNarreloCumle; }
};

// Sets Speaker of every sentence of the list, in index order.
void SetSpeaker(TNarreloCumles &sentences, int32_t speaker);
