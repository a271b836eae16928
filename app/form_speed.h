// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFormSpeed: the speed pop-up. A narrow borderless window without caption that stays above
// other windows and does not take the activation when shown; a vertical slider 0..20 (10 is
// normal speed, the top is fastest) and a label under it with the value 10 - position. It is
// created hidden once by the main form and shown and hidden many times; the slider keeps its
// position in between.
//
// Every movement of the slider tells the listeners (OnSpeedChanged), in list order; the main
// form is the first of them and sets the label and its speed button. The pop-up hides itself
// when it loses the activation (a click elsewhere).

#include <chrono>
#include <cstdint>

#include "foundation/event_handlers.h"
#include "ui/form.h"
#include "ui/slider.h"
#include "ui/static_label.h"

class TFormSpeed;

class TEventHandler_FormSpeed {
public:
    virtual ~TEventHandler_FormSpeed() = default;
    // Reserved; the pop-up never fires it.
    virtual void OnFormSpeedNotify(TFormSpeed * /*popup*/) {}
    // The slider has moved; read its position from the pop-up.
    virtual void OnSpeedChanged(TFormSpeed * /*popup*/) {}
};

class TEventHandlers_FormSpeed : public TEventHandlers<TEventHandler_FormSpeed> {
public:
    int32_t OnSpeedChanged(TFormSpeed *popup) {
        return Notify(&TEventHandler_FormSpeed::OnSpeedChanged, popup);
    }
};

inline constexpr int32_t SpeedFormTemplateId = 131;
inline constexpr int32_t SpeedSliderId = 1004;
inline constexpr int32_t SpeedValueLabelId = 1015;

class TFormSpeed : public TForm {
public:
    TFormSpeed();

    TEventHandlers_FormSpeed &Listeners() { return listeners_; }
    TSlider Slider;      // 1004
    TStatic ValueLabel;  // 1015, empty until the first move

    // Whether the pop-up hid itself on losing the activation within the last moment; the
    // answer is given once. A click on the speed button takes the activation first, so by
    // the time the click arrives the pop-up is already hidden; the button asks this so that
    // its click closes the pop-up instead of opening it again.
    bool TakeRecentDeactivationHide();

protected:
    bool OnInitDialog() override;
    void OnVScroll(int32_t id, int32_t code) override;
    void OnActivate(bool active) override;

private:
    void UpdateToolTip();

    TEventHandlers_FormSpeed listeners_;
    std::chrono::steady_clock::time_point hiddenByDeactivationAt_{};
};
