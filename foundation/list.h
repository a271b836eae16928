// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TList: the list class the rest of the program derives from (listener lists, TStringList,
// the record lists). It adds nothing to TCustomList; the separate name keeps the two roots
// apart, since the window designer's control list derives from TCustomList directly.

#include "foundation/custom_list.h"

class TList : public TCustomList {
public:
    TList() = default;
};
