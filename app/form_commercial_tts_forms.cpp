// SPDX-License-Identifier: GPL-3.0-or-later
// The main form's XML sentence commands and speed pop-up (app/xml_sentence_commands.h,
// app/form_speed.h): the form only routes its events to them.

#include "app/form_commercial_tts.h"
#include "app/speed_popup_side.h"
#include "app/speed_texts.h"

void TFormCommercialTTS::OnXmlSwitch() { XmlCommands.OnXmlSwitchClicked(XmlSwitch, XmlMenuButton); }

void TFormCommercialTTS::OnXmlMenu() { XmlCommands.ShowMenu(); }

void TFormCommercialTTS::OnXmlCommand(int32_t command) { XmlCommands.RunCommand(command, TextBox); }

void TFormCommercialTTS::OnSpeedButton() { ToggleSpeedPopup(SpeedPopup, *this, SpeedButton); }

void TFormCommercialTTS::OnSpeedChanged(TFormSpeed *popup) {
    const int32_t position = popup->Slider.GetPos();
    popup->ValueLabel.SetAnsiText(SpeedLabel(position).Text());
    SetSpeedPosition(position);
}
