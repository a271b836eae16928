// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Static texts of a form: TStaticLabel and its two names TStatic and TLabel. The text wraps
// at words; the form's OnControlColor may choose its colour each time it is painted.

#include "ui/control.h"

class TStaticLabel : public TControl {
public:
    bool Accepts(TControlKind kind) const override {
        return kind == TControlKind::Text || kind == TControlKind::Picture ||
               kind == TControlKind::GroupBox;
    }
    // Repaints it now (erasing the background), so the control-colour hook runs again.
    void Repaint();
};

class TStatic : public TStaticLabel {};
class TLabel : public TStaticLabel {};
