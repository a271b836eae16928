// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control tables: a form's layout written in code. Each row gives a control's id, kind,
// style, position and size in dialog units (ui/dialog_units.h) and its texts; a table with
// the dialog's size, caption and style makes a dialog template. Texts are Windows-1254
// (write Turkish literals as "..."_cp).
//
// A form creates its window from its template: the rows whose id is bound to a member control
// (TForm::BindControl) create that member's window; the others become anonymous controls
// owned by the form's window (labels, frames, pictures).
//
//   static const TDialogTemplate kLogin{135, 242, 182, "a", dsCaption | dsSysMenu, {
//       {IDC_STATIC, TControlKind::Text, 0, 7, 19, 56, 8, "E-Posta Adresiniz"_cp},
//       {1000, TControlKind::Edit, csTabStop | csBorder | csAutoHScroll, 8, 30, 227, 14, ""},
//       {1, TControlKind::DefPushButton, csTabStop, 133, 151, 50, 14, "Tamam"},
//   }};

#include <cstdint>
#include <vector>

#include "foundation/message_box.h"  // IDOK

// Id of rows that no code refers to.
inline constexpr int32_t IDC_STATIC = -1;
// Id of the button that cancels a dialog (IDOK, 1, accepts it).
inline constexpr int32_t IDCANCEL = 2;

enum class TControlKind {
    PushButton,     // TButton
    DefPushButton,  // TButton, the default button (Enter)
    CheckBox,       // TButton, automatic check box
    RadioButton,    // TRadioButton, automatic radio button
    GroupBox,       // frame
    Text,           // TStatic / TLabel / TStaticLabel: static text, wraps at words
    Picture,        // static picture of a bitmap resource (row's Resource)
    Edit,           // TEdit
    Link,           // TLinkCtrl: hyperlink text with <a>...</a> markup
    ProgressBar,    // TProgressCtrl
    Slider,         // TSlider
    ComboBox,       // drop-down list
};

// Row styles (bit flags).
enum : uint32_t {
    csTabStop = 1u << 0,
    csDisabled = 1u << 1,
    csHidden = 1u << 2,      // not visible at start
    csGroup = 1u << 3,       // starts a new radio group
    csMultiLine = 1u << 4,   // edit: several lines
    csVScroll = 1u << 5,     // edit: vertical scroll bar
    csHScroll = 1u << 6,     // edit: horizontal scroll bar, no line wrapping
    csWantReturn = 1u << 7,  // edit: Enter starts a new line
    csCentred = 1u << 8,     // text or picture: centred
    csBorder = 1u << 9,
    csChecked = 1u << 10,    // radio or check box: selected at start
    csAutoHScroll = 1u << 11,
    csReadOnly = 1u << 12,
    csPassword = 1u << 13,
    csNotify = 1u << 14,     // text: clickable (reports clicks to the form)
    csVertical = 1u << 15,   // slider: vertical
    csTicksBoth = 1u << 16,  // slider: tick marks on both sides
    csNoHideSel = 1u << 17,  // edit: keeps the selection visible without the focus
};

struct TControlSpec {
    int32_t Id = IDC_STATIC;
    TControlKind Kind = TControlKind::Text;
    uint32_t Style = 0;
    int32_t X = 0, Y = 0, Width = 0, Height = 0;  // dialog units
    const char *Text = nullptr;         // the template's text (Turkish); null: none
    const char *EnglishText = nullptr;  // English text, or null when Text serves both
    int32_t Resource = 0;               // bitmap resource of a picture
};

// Dialog styles (bit flags).
enum : uint32_t {
    dsCaption = 1u << 0,     // title bar
    dsSysMenu = 1u << 1,     // close box
    dsResizable = 1u << 2,   // the user may resize it (fixed frame otherwise)
    dsPopup = 1u << 3,       // borderless pop-up without caption
    dsTopMost = 1u << 4,     // stays above other windows
    dsNoActivate = 1u << 5,  // showing it does not take the activation
    dsMinimizeBox = 1u << 6,
};

struct TDialogTemplate {
    int32_t Id = 0;
    int32_t Width = 0, Height = 0;  // client size in dialog units
    const char *Caption = "";
    uint32_t Style = dsCaption | dsSysMenu;
    std::vector<TControlSpec> Controls;

    // The row with this id, or null.
    const TControlSpec *Find(int32_t id) const {
        for (const TControlSpec &row : Controls)
            if (row.Id == id && id != IDC_STATIC) return &row;
        return nullptr;
    }
};

// The text of a row in the chosen language (the Turkish text when no English one is given).
inline const char *TextOf(const TControlSpec &row, bool english) {
    return english && row.EnglishText ? row.EnglishText : row.Text;
}
