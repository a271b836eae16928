// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mouse-wheel handling shared by TEdit and TSlider: a turn goes to the designer's
// listeners (OnMouseWheel), then is consumed when `swallow()` says so, else handled by the
// widget as usual.

#include <functional>
#include <memory>

class wxWindow;
class TWindowDesigner;

void BindMouseWheel(TWindowDesigner &designer, wxWindow *widget,
                    std::shared_ptr<TWindowDesigner *> alive, std::function<bool()> swallow);
