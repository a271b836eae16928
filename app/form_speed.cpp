// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_speed.h"

#include <dlfcn.h>

#include <wx/dialog.h>
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

// The main form runs modally, and a modal GTK window takes the input of every window of its
// window group: the pop-up, a window of its own, would show but take no click. So the
// pop-up gets a window group of its own. The two GTK calls are looked up in the running
// process (wx's GTK port has loaded the library); another port has neither and needs nothing.
void KeepOutOfOtherWindowsGrab(wxWindow *window) {
    using TGroupNew = void *(*)();
    using TGroupAdd = void (*)(void *group, void *gtkWindow);
    static const auto groupNew = reinterpret_cast<TGroupNew>(dlsym(RTLD_DEFAULT, "gtk_window_group_new"));
    static const auto groupAdd = reinterpret_cast<TGroupAdd>(dlsym(RTLD_DEFAULT, "gtk_window_group_add_window"));
    if (!groupNew || !groupAdd || !window->GetHandle()) return;
    void *group = groupNew();
    groupAdd(group, window->GetHandle());
    // The window keeps a reference to its group; ours is given up.
    using TUnref = void (*)(void *);
    static const auto unref = reinterpret_cast<TUnref>(dlsym(RTLD_DEFAULT, "g_object_unref"));
    if (unref) unref(group);
}

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
        KeepOutOfOtherWindowsGrab(Dialog());
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
