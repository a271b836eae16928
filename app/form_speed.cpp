#include "app/form_speed.h"

#include <wx/slider.h>

#include "app/speed_texts.h"
#include "ui/wx_text.h"

namespace {

// 36 x 108 dialog units: the slider with tick marks on both sides, the value centred below.
const TDialogTemplate SpeedTemplate{
    SpeedFormTemplateId, 36, 108, "", dsPopup | dsTopMost | dsNoActivate,
    {
        {SpeedSliderId, TControlKind::Slider, csVertical | csTicksBoth | csTabStop, 3, 0, 27, 92},
        {SpeedValueLabelId, TControlKind::Text, csCentred, 8, 95, 19, 8, ""},
    }};

// How long after hiding on deactivation a click on the speed button still counts as closing.
constexpr std::chrono::milliseconds DeactivationGrace{400};

}  // namespace

TFormSpeed::TFormSpeed() : TForm(SpeedTemplate) {
    BindControl(SpeedSliderId, Slider);
    BindControl(SpeedValueLabelId, ValueLabel);
}

bool TFormSpeed::OnInitDialog() {
    if (!TForm::OnInitDialog()) return false;
    return Guarded([&] {
        Slider.SetRange(SpeedMinimum, SpeedMaximum, false);
        Slider.SetPos(SpeedNormal);
        ValueLabel.SetAnsiText("");
        UpdateToolTip();
    });
}

void TFormSpeed::OnVScroll(int32_t id, int32_t code) {
    if (id != SpeedSliderId || code < 0 || code > 8) return;
    UpdateToolTip();
    listeners_.OnSpeedChanged(this);
}

void TFormSpeed::OnActivate(bool active) {
    if (active || !HasWindow() || !IsVisible()) return;
    SetVisible(false);
    hiddenByDeactivationAt_ = std::chrono::steady_clock::now();
}

bool TFormSpeed::TakeRecentDeactivationHide() {
    const bool recent = hiddenByDeactivationAt_ != std::chrono::steady_clock::time_point{} &&
                        std::chrono::steady_clock::now() - hiddenByDeactivationAt_ < DeactivationGrace;
    hiddenByDeactivationAt_ = {};
    return recent;
}

// The slider's tooltip is the label of its current position (what the value label will
// show), kept current on every move.
void TFormSpeed::UpdateToolTip() {
    Slider.Ctrl()->SetToolTip(ToWx(SpeedLabel(Slider.GetPos())));
}
