// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TLinkCtrl: hyperlink text. Its text is markup: the part between <a ...> and </a> is
// clickable (the form's OnLinkClicked hears of it); <a style="font-color=Red;"> shows red.

#include "ui/control.h"

class TLinkCtrl : public TControl {
public:
    bool Accepts(TControlKind kind) const override { return kind == TControlKind::Link; }
};
