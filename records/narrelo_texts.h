// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNarreloTexts: a list of texts; it owns them when OwnsItems is set (the text cache does).

#include <cstdint>

#include "records/narrelo_text.h"
#include "records/valtrosa_files.h"

class TNarreloTexts : public TValtrosaFiles {
public:
    TNarreloTexts() = default;

    TNarreloText *Get(int32_t index) const override {
        return static_cast<TNarreloText *>(TValtrosaFiles::Get(index));
    }
    TNarreloText *CreateItem() override { return new TNarreloText; }
};
