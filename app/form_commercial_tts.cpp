// SPDX-License-Identifier: GPL-3.0-or-later
// The main form itself: construction, the window's initialisation, the interface language
// and its switch, the word count, the blinking attention text, the web links and the
// dispatch of commands. The reading commands and the listeners are in
// form_commercial_tts_reading.cpp.

#include "app/form_commercial_tts.h"

#include "app/speed_texts.h"

#include <cstdio>
#include <optional>
#include <string>

#include <wx/dialog.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <wx/utils.h>

#include "app/kept_text.h"
#include "app/main_form_template.h"
#include "app/main_form_texts.h"
#include "app/typed_text_limit.h"
#include "app/web_addresses.h"
#include "foundation/code_page.h"
#include "foundation/count_words.h"
#include "foundation/exceptions.h"
#include "foundation/host.h"
#include "foundation/message_box.h"
#include "foundation/registry_settings.h"
#include "foundation/shell.h"
#include "link_bitmaps.h"
#include "ui/accessible.h"

TFormCommercialTTS::TFormCommercialTTS() : TForm(MainFormTemplate()) {
    BindControl(IDC_TEXT, TextBox);
    BindControl(IDC_READ, ReadButton);
    BindControl(IDC_PAUSE, PauseButton);
    BindControl(IDC_SPEED, SpeedButton);
    BindControl(IDC_BELIRGIN, BelirginButton);
    BindControl(IDC_AKICI, AkiciButton);
    BindControl(IDC_XML_SWITCH, XmlSwitch);
    BindControl(IDC_XML_MENU, XmlMenuButton);
    BindControl(IDC_PROGRESS, ProgressBar);
    BindControl(IDC_CONTINUE, ContinueButton);
    BindControl(IDC_ATTENTION, AttentionText);
    BindControl(IDC_LINK_DOWNLOAD, DownloadLink);
    BindControl(IDC_LINK_WEB, WebSiteLink);
    BindControl(IDC_LINK_LANGUAGE, LanguageLink);
    BindControl(IDC_LINK_BUY, BuyLink);
    BindControl(IDC_LINK_VOICE, VoiceLink);
    BindControl(IDC_LINK_MP3, Mp3Link);
    BindControl(IDC_LINK_QUALITY, QualityLink);
    BindControl(IDC_LINK_FAQ, FaqLink);
    BindControl(IDC_LABEL_VOICE, VoiceLabel);

    InterfaceIsEnglish = ReadInterfaceIsEnglish() == 1;
    XmlCommands.Build(InterfaceIsEnglish);
    WaveOut.Listeners().InsertFirst(this);
    SpeedPopup.Listeners().InsertFirst(this);
}

TFormCommercialTTS::~TFormCommercialTTS() {
    // From here on nothing the reading posted may touch the form: its OnFinished finds no
    // window to change.
    *alive_ = false;
    if (textUnkept_) SaveKeptText(keptText_);
    StopReading();
    // Every reading's thread uses the form (as its listener, its client, its caches): all
    // have ended when this returns. A stopped call gives up within the client's cancel period.
    Session.StopAndWait();
    try {
        WaveOut.SetActive(false);
    } catch (const TCustomException &) {
        // The device is going away with the form; nothing is left to tell the user.
    }
    WaveOut.Listeners().Clear();
}

bool TFormCommercialTTS::OnInitDialog() {
    if (!TForm::OnInitDialog()) return false;
    return Guarded([this] {
        // The status bar: the word count in the first part, the second empty, the third
        // from 100 to 200 pixels; the rest of the bar holds notes (a paste cut at the limit).
        StatusBar.Create(Dialog());
        StatusBar.SetParts({100, 100, 200, -1});
        SetTimer(BlinkTimerId, BlinkPeriodMs);
        ContinueButton.SetWidth(ContinueButtonWidth);
        SpeedPopup.Create();
        LimitTypedText(TextBox.Ctrl(), TextLimit, [this](int32_t pasted, int32_t dropped) {
            if (StatusBar.HasWindow())
                StatusBar.SetText(NotePart, MainFormTexts::PasteCut(InterfaceIsEnglish, pasted - dropped, dropped,
                                                             TextLimit)
                                         .c_str());
        });

        AddAnchor(StatusBar, true, false, true, true);
        AddAnchor(XmlMenuButton, false, true, true, false);
        AddAnchor(XmlSwitch, false, true, true, false);
        AddAnchor(TextBox, true, true, true, true);
        for (TButton *button : {&ReadButton, &PauseButton, &SpeedButton})
            AddAnchor(*button, true, false, false, true);
        AddAnchor(ProgressBar, true, false, true, true);
        for (TLinkCtrl *link : {&VoiceLink, &Mp3Link, &QualityLink, &DownloadLink, &BuyLink, &FaqLink,
                                &LanguageLink, &WebSiteLink})
            AddAnchor(*link, false, true, true, false);

        BelirginButton.SetChecked(true);
        if (InTestMode()) ShowMessageBox(MainFormTexts::InTestMode, MB_OK);
        ApplyTexts(InterfaceIsEnglish);
        MarkMnemonics();
        NameControlsForScreenReaders();
        // What was typed in the last run comes back (within the text box's limit).
        if (const std::optional<std::string> kept = LoadKeptText(); kept && TextBox.HasWindow()) {
            wxString text = wxString::FromUTF8(kept->data(), kept->size());
            if (text.length() > size_t(TextLimit)) text.Truncate(size_t(TextLimit));
            TextBox.Ctrl()->ChangeValue(text);
            keptText_ = *kept;
        }
        UpdateWordCount();
        TextBox.SetFocus();
        // The window's own keys, before the dialog's (bound last, so asked first): Ctrl+Enter
        // and F5 read or stop as the Read button does; Escape stops a reading, and only
        // closes the window (the dialog's Escape) when nothing is read.
        Dialog()->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent &e) {
            const int key = e.GetKeyCode();
            const bool enter = key == WXK_RETURN || key == WXK_NUMPAD_ENTER;
            if ((enter && e.ControlDown()) || (key == WXK_F5 && !e.HasAnyModifiers())) {
                if (ReadButton.HasWindow() && ReadButton.Window()->IsEnabled()) ReadClicked();
                return;
            }
            if (key == WXK_ESCAPE && (ReadingRuns() || WaveOut.Paused())) {
                Guarded([this] { StopAndClose(); });
                return;
            }
            e.Skip();
        });
    });
}

bool TFormCommercialTTS::OnCommand(int32_t id, int32_t code) {
    if (id >= 20000 && id <= 20500) {
        wxBusyCursor wait;
        OnXmlCommand(id);
        return true;
    }
    switch (id) {
    case IDC_READ: ReadClicked(); return true;
    case IDC_PAUSE: PauseClicked(); return true;
    case IDC_SPEED: OnSpeedButton(); return true;
    case IDC_CONTINUE: ContinueClicked(); return true;
    case IDC_XML_SWITCH: OnXmlSwitch(); return true;
    case IDC_XML_MENU: OnXmlMenu(); return true;
    case IDC_TEXT:
        if (code == EN_CHANGE) {
            UpdateWordCount();
            if (TextBox.HasWindow()) {
                // The string outlives the buffer, which may point into it.
                const wxString value = TextBox.Ctrl()->GetValue();
                const wxScopedCharBuffer utf8 = value.utf8_str();
                keptText_.assign(utf8.data(), utf8.length());
                textUnkept_ = true;
                SetTimer(KeepTextTimerId, KeepTextDelayMs);  // (again) from this change on
            }
        }
        return true;
    default: return TForm::OnCommand(id, code);
    }
}

void TFormCommercialTTS::OnLinkClicked(int32_t id, int32_t anchor) {
    switch (id) {
    case IDC_LINK_WEB: OpenWebSite(); break;
    case IDC_LINK_DOWNLOAD: OpenDownloadPage(); break;
    case IDC_LINK_LANGUAGE: SwitchLanguage(); break;
    default: TForm::OnLinkClicked(id, anchor);
    }
}

// Alt and a letter press each button (the texts shown stay the system's own).
void TFormCommercialTTS::MarkMnemonics() {
    TButton *const buttons[] = {&ReadButton, &SpeedButton, &BelirginButton, &AkiciButton,
                                &XmlSwitch,  &XmlMenuButton, &ContinueButton};
    for (TButton *button : buttons) {
        const MyString text = button->GetAnsiText();
        button->SetAnsiText(text.Text(), MainFormTexts::ButtonMnemonic(text.Text()));
    }
}

// What a screen reader says for the controls whose own text does not say what they are.
void TFormCommercialTTS::NameControlsForScreenReaders() {
    const bool en = InterfaceIsEnglish;
    SetAccessibleName(PauseButton.Window(), en ? "Pause" : "Duraklat");
    SetAccessibleName(TextBox.Window(), en ? "Text to read" : "Okunacak metin");
    SetAccessibleName(ProgressBar.Window(), en ? "Sentences heard" : "Dinlenen cümleler");
    SetAccessibleName(SpeedButton.Window(), en ? "Speed" : "Hız");
    SetAccessibleDescription(ContinueButton.Window(),
                             en ? "The reading waits after 50 words" : "Okuma 50 kelimeden sonra bekliyor");
}

void TFormCommercialTTS::UpdateWordCount() {
    if (!TextBox.HasWindow() || !StatusBar.HasWindow()) return;
    const MyString text = TextBox.GetWholeTextAnsi();
    char line[32];
    std::snprintf(line, sizeof line, MainFormTexts::WordCountFormat(InterfaceIsEnglish),
                  int(CountWords(text.Text(), text.Length())));
    StatusBar.SetText(0, line);
    // The status bar is drawn, not a native control: its name carries the count.
    SetAccessibleName(StatusBar.Ctrl(), cp1254::ToUtf8(line).c_str());
}

void TFormCommercialTTS::KeepText() {
    if (textUnkept_ && SaveKeptText(keptText_)) textUnkept_ = false;
}

void TFormCommercialTTS::OnTimer(int32_t id) {
    if (id == KeepTextTimerId) {
        KillTimer(KeepTextTimerId);
        KeepText();
        return;
    }
    if (id != BlinkTimerId) return TForm::OnTimer(id);
    AttentionColor = AttentionColor == AttentionRed ? AttentionSilver : AttentionRed;
    if (AttentionText.HasWindow()) AttentionText.Repaint();
}

void TFormCommercialTTS::OnControlColor(int32_t id, wxWindow *control, TDrawContext &context) {
    if (id == IDC_ATTENTION) context.SetTextColor(AttentionColor);
    else TForm::OnControlColor(id, control, context);
}

wxBitmap TFormCommercialTTS::LoadBitmapResource(int32_t resource) {
    if (resource == IDB_DOWNLOAD) return wxBitmap(Bitmap132);
    if (resource == IDB_WEB) return wxBitmap(Bitmap138);
    return TForm::LoadBitmapResource(resource);
}

void TFormCommercialTTS::OpenWebSite() {
    Guarded([] {
        wxBusyCursor wait;
        ShellOpen(Unscramble(WebSiteBaseAddress()).Text());
    });
}

void TFormCommercialTTS::OpenDownloadPage() {
    Guarded([] { ShellOpen(Unscramble(DownloadPageAddress()).Text()); });
}

void TFormCommercialTTS::SwitchLanguage() {
    const bool switched = Guarded([this] {
        wxBusyCursor wait;
        WriteInterfaceIsEnglish(InterfaceIsEnglish ? 0 : 1);
    });
    if (!switched) return;  // the language stays and the program runs on
    InterfaceIsEnglish = !InterfaceIsEnglish;
    ShowMessageBox(MainFormTexts::RestartToApply(InterfaceIsEnglish), MB_OK);
    // The program comes back in the new language with the text as it was.
    KeepText();
    StopReading();
    RestartProcessNow();
}

void TFormCommercialTTS::SetSpeedPosition(int32_t position) {
    Speed = position;
    Session.Speed = position;
    if (SpeedButton.HasWindow()) {
        const MyString text = SpeedButtonText(position, InterfaceIsEnglish);
        SpeedButton.SetAnsiText(text.Text(), MainFormTexts::ButtonMnemonic(text.Text()));
    }
}
