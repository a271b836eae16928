// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Template 130: the main reading form's dialog and its controls, in dialog units of the
// dialog font, with their texts in both interface languages (Turkish first, as the template
// carries it; English where the interface has its own).

#include <cstdint>

#include "ui/control_table.h"

// Control ids of the main form.
enum : int32_t {
    IDC_TEXT = 1000,              // the text box
    IDC_BELIRGIN = 1002,          // reading style "Belirgin Okuma" (speaker 2)
    IDC_AKICI = 1003,             // reading style "Akıcı Okuma" (speaker 1)
    IDC_READ = 1007,              // Read / Stop / Continue
    IDC_LABEL_VOICE = 1010,       // hidden, never shown
    IDC_PROGRESS = 1011,          // sentences heard
    IDC_PAUSE = 1012,             // "||"
    IDC_STATIC_DESKTOP = 1013,    // hidden, never shown
    IDC_SPEED = 1014,             // shows or hides the speed pop-up
    IDC_PICTURE_WEB = 1015,       // bitmap 138 beside the web site link
    IDC_PICTURE_DOWNLOAD = 1017,  // bitmap 132 beside the installer link
    IDC_STATIC_QUALITY = 1022,    // hidden, never shown
    IDC_STATIC_FAQ = 1023,        // hidden, never shown
    IDC_CONTINUE = 1024,          // continue after the listening pause
    IDC_LINK_VOICE = 1026,        // hidden, never shown
    IDC_LINK_MP3 = 1028,          // hidden, never shown
    IDC_LINK_QUALITY = 1029,      // hidden, never shown
    IDC_LINK_FAQ = 1030,          // hidden, never shown
    IDC_LINK_BUY = 1031,          // hidden, never shown
    IDC_LINK_WEB = 1032,          // opens the web site
    IDC_ATTENTION = 1033,         // the blinking "! Attention >>"
    IDC_XML_SWITCH = 1034,        // XML pre-processing check box
    IDC_XML_MENU = 1035,          // shows the XML menu
    IDC_LINK_LANGUAGE = 1036,     // switches the interface language
    IDC_LINK_DOWNLOAD = 1037,     // opens the page offering the full version
};

// Bitmap resources of the two pictures.
inline constexpr int32_t IDB_DOWNLOAD = 132;
inline constexpr int32_t IDB_WEB = 138;

inline constexpr int32_t MainFormTemplateId = 130;

// The template: 508 x 325 units, caption "Valtrosa", caption and close box, fixed frame.
const TDialogTemplate &MainFormTemplate();
