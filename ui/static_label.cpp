// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/static_label.h"

#include <wx/window.h>

void TStaticLabel::Repaint() { Checked()->Refresh(true); }
