// SPDX-License-Identifier: GPL-3.0-or-later
// The main reading form on a real window (under Xvfb), without the speech service: its
// controls and texts in both languages, the word count, the blinking attention text, the
// web links, the speed button's text and the language switch.

#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "app/kept_text.h"
#include "app/main_form_template.h"
#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "platform/settings_store.h"
#include "support/main_form_fixture.h"

namespace {

TEST_F(MainFormTest, TheInterfaceLanguageComesFromTheSettingsStore) {
    struct Case {
        const char *label;
        std::optional<int32_t> value;
        bool english;
    } cases[] = {
        {"no value", std::nullopt, false},
        {"1", 1, true},
        {"0", 0, false},
        {"2", 2, false},
    };
    for (const Case &c : cases) {
        TempConfigHome store;
        try {
            if (c.value) WriteSetting("Software\\Valtrosa\\Narrelo", u"InterfaceIsEnglish", *c.value);
            TFormCommercialTTS form;
            EXPECT_EQ(form.InterfaceIsEnglish, c.english) << c.label;
        } catch (const TCustomException &e) {
            ADD_FAILURE() << c.label << ": " << e.Message();
        }
    }
}

TEST_F(MainFormTest, ControlsShowTheirTextsInEitherLanguageAndTheHiddenOnesStayHidden) {
    struct Row {
        int32_t id;
        const char *english;
        const char *turkish;
        bool visible;
        bool enabled;
    } rows[] = {
        {IDC_READ, "Read", "Oku", true, true},
        {IDC_PAUSE, "||", "||", true, false},
        {IDC_SPEED, "Speed", "Hız"_cp, true, true},
        {IDC_BELIRGIN, "Belirgin Okuma", "Belirgin Okuma", true, true},
        {IDC_AKICI, "Akıcı Okuma"_cp, "Akıcı Okuma"_cp, true, true},
        {IDC_XML_SWITCH, "XML Pre Processing", "XML Ön İşleme"_cp, true, true},
        {IDC_XML_MENU, "XML Sentences", "XML Cümleleri"_cp, true, false},
        {IDC_CONTINUE, "To Continue listening, Click Here", "Dinlemeye devam etmek için Buraya Basınız."_cp, false, true},
        {IDC_ATTENTION, "! Attention >>", "! Dikkat >> ", false, true},
        {IDC_LINK_WEB, "<a>Visit Web Site</a>", "<a>İnternet Sitesine Git</a>"_cp, true, true},
        {IDC_LINK_DOWNLOAD, "<a style=\"font-color=Red;\">Ücretsiz Tam Sürümü Yükle</a>"_cp,
         "<a style=\"font-color=Red;\">Ücretsiz Tam Sürümü Yükle</a>"_cp, true, true},
        {IDC_LINK_LANGUAGE, "<a>Arabirim Dilini TÜRKÇE'ye Çevir</a>"_cp, "<a>Convert Interface Language To English</a>",
         true, true},
        {IDC_LINK_BUY, "<a>Buy</a>", "<a>Satın Al</a>"_cp, false, true},
        {IDC_LINK_FAQ, "<a>Sıkça Sorulan Sorular</a>"_cp, "<a>Sıkça Sorulan Sorular</a>"_cp, false, true},
        {IDC_STATIC_QUALITY, "Konuşma Kalitesini İyileştirin"_cp, "Konuşma Kalitesini İyileştirin"_cp, false, true},
    };
    for (bool english : {false, true}) {
        TempConfigHome store;
        if (english) WriteInterfaceIsEnglish(1);
        auto form = OpenForm();
        EXPECT_EQ(LabelOf(form->Dialog()), "Valtrosa");
        for (const Row &row : rows) {
            wxWindow *w = form->Item(row.id);
            ASSERT_NE(w, nullptr) << row.id;
            EXPECT_EQ(LabelOf(w), english ? row.english : row.turkish) << row.id << (english ? " en" : " tr");
            EXPECT_EQ(w->IsShown(), row.visible) << row.id;
            EXPECT_EQ(w->IsEnabled(), row.enabled) << row.id;
        }
        for (int32_t hidden : {IDC_PROGRESS, IDC_LINK_VOICE, IDC_LINK_MP3, IDC_LINK_QUALITY, IDC_LABEL_VOICE,
                               IDC_STATIC_DESKTOP, IDC_STATIC_FAQ})
            EXPECT_FALSE(form->Item(hidden)->IsShown()) << hidden;
        EXPECT_TRUE(form->BelirginButton.IsChecked());
        EXPECT_FALSE(form->AkiciButton.IsChecked());
        EXPECT_EQ(form->ContinueButton.GetWidth(), TFormCommercialTTS::ContinueButtonWidth);
        EXPECT_EQ(form->Dialog()->GetClientSize(), wxSize(762, 528)) << "508 x 325 dialog units";
        EXPECT_EQ(form->ReadingThread, nullptr);
    }
}

TEST_F(MainFormTest, TheStatusBarCountsTheWordsOfTheWholeTextOnEveryChange) {
    for (bool english : {false, true}) {
        TempConfigHome store;
        if (english) WriteInterfaceIsEnglish(1);
        auto form = OpenForm();
        const char *zero = english ? "0 Words" : "0 Kelime";
        EXPECT_EQ(std::string(form->StatusBar.GetText(0).View()), zero);
        struct Step {
            const char *typed;
            const char *words;
        } steps[] = {
            {"Merhaba", "1"},
            {" dünya, nasılsın?", "3"},
            {" -- 3.5 (tamam)", "5"},
        };
        for (const Step &step : steps) {
            form->TextBox.Ctrl()->AppendText(ToWx(cp1254::FromUtf8(step.typed)));
            Pump();
            EXPECT_EQ(std::string(form->StatusBar.GetText(0).View()),
                      std::string(step.words) + (english ? " Words" : " Kelime"))
                << step.typed;
        }
        // A selection does not change what is counted.
        form->TextBox.Select(0, 7);
        Pump();
        EXPECT_EQ(std::string(form->StatusBar.GetText(0).View()), english ? "5 Words" : "5 Kelime");
        EXPECT_EQ(std::string(form->StatusBar.GetText(1).View()), "");
    }
}

// The text typed is kept in the state folder (mode 0600) shortly after a change, and also
// when the window goes at once, and comes back in the next window.
TEST_F(MainFormTest, TheTypedTextIsKeptAndComesBackInTheNextRun) {
    TempConfigHome store;
    const std::string path = KeptTextPath();
    ASSERT_EQ(path.rfind(store.Folder(), 0), 0u) << path;
    const std::string typed = "Merhaba dünya, bugün hava çok güzel.";
    {
        auto form = OpenForm();
        form->TextBox.Ctrl()->AppendText(wxString::FromUTF8(typed.c_str()));
        ASSERT_TRUE(PumpUntil([&] { return TempConfigHome::ReadFile(path) == typed; }, 5)) << "not kept";
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        // A change the window had no time to keep is kept when it goes.
        form->TextBox.Ctrl()->AppendText(" Son.");
        Pump();
    }
    EXPECT_EQ(TempConfigHome::ReadFile(path), typed + " Son.");
    auto next = OpenForm();
    const wxString restored = next->TextBox.Ctrl()->GetValue();
    EXPECT_EQ(std::string(restored.utf8_str()), typed + " Son.");
    EXPECT_EQ(std::string(next->StatusBar.GetText(0).View()), "7 Kelime");
}

TEST_F(MainFormTest, TheAttentionTextBlinksBetweenRedAndSilverEveryHalfSecond) {
    auto form = OpenForm();
    EXPECT_EQ(form->AttentionColor, TFormCommercialTTS::AttentionRed);
    ASSERT_TRUE(PumpUntil([&] { return form->AttentionColor == TFormCommercialTTS::AttentionSilver; }, 2));
    ASSERT_TRUE(PumpUntil([&] { return form->AttentionColor == TFormCommercialTTS::AttentionRed; }, 2));
    // The colour reaches the attention text when it paints.
    wxWindow *attention = form->Item(IDC_ATTENTION);
    wxBitmap bitmap(10, 10);
    wxMemoryDC dc(bitmap);
    TDrawContext context(dc);
    form->OnControlColor(IDC_ATTENTION, attention, context);
    EXPECT_EQ(context.TextColor(), form->AttentionColor);
}

TEST_F(MainFormTest, TheWebLinksOpenTheServicesPagesThroughTheDesktop) {
    FakeOpener opener(config_.Folder());
    auto form = OpenForm();
    form->OpenWebSite();
    ASSERT_TRUE(PumpUntil([&] { return opener.Opened().size() > 0; }, 5));
    form->OpenDownloadPage();
    ASSERT_TRUE(PumpUntil([&] { return opener.Opened().find("download") != std::string::npos; }, 5));
    EXPECT_EQ(opener.Opened(), "http://localhost:8081\nhttp://localhost:8081/download\n");
}

TEST_F(MainFormTest, AWebLinkThatCannotBeOpenedSaysWhyAndTheFormGoesOn) {
    ScopedEnv path("PATH", config_.Folder());  // no xdg-open anywhere
    TFakeHost boxes;
    auto form = OpenForm();
    form->OpenWebSite();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind("ShellExecute Failed With (2) ", 0), 0u) << boxes.Texts()[0];
    EXPECT_TRUE(form->HasWindow());
}

TEST_F(MainFormTest, TheSpeedButtonShowsTheSpeedWhenItIsNotNormal) {
    struct Case {
        bool english;
        int32_t position;
        const char *text;
    } cases[] = {
        {false, 7, "Hız 3"_cp},
        {true, 14, "Speed -4"},
        {true, 0, "Speed 10"},
        {false, 20, "Hız -10"_cp},
        {true, 10, "Speed"},
    };
    for (const Case &c : cases) {
        TempConfigHome store;
        if (c.english) WriteInterfaceIsEnglish(1);
        auto form = OpenForm(false);
        form->SetSpeedPosition(c.position);
        EXPECT_EQ(form->Speed, c.position);
        EXPECT_EQ(LabelOf(form->Item(IDC_SPEED)), c.text);
    }
}

// The program then starts again in the new language, with the text as it was.
TEST_F(MainFormTest, SwitchingTheLanguageWritesTheOtherOneSaysSoInItAndRestartsTheProgram) {
    struct Case {
        bool english;
        int32_t written;
        const char *message;
    } cases[] = {
        {false, 1, "You must restart your application to activate changes"},
        {true, 0, "Değişikliklerin Aktif Olması İçin, Programınızı Yeniden Başlatınız"_cp},
    };
    for (const Case &c : cases) {
        TempConfigHome store;
        if (c.english) WriteInterfaceIsEnglish(1);
        TFakeHost boxes;
        auto form = OpenForm(false);
        form->TextBox.Ctrl()->ChangeValue(wxString::FromUTF8("Yarım kalan metin."));
        form->TextBox.Ctrl()->AppendText(" Son.");  // a change the timer had no time to keep
        int code = 0;
        try {
            form->SwitchLanguage();
        } catch (const TProcessEnded &ended) {
            code = ended.code;
        }
        EXPECT_EQ(code, ProcessRestartCode);
        EXPECT_EQ(TempConfigHome::ReadFile(KeptTextPath()), "Yarım kalan metin. Son.");
        EXPECT_EQ(ReadInterfaceIsEnglish(), c.written);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
    }
}

TEST_F(MainFormTest, ALanguageThatCannotBeWrittenStaysAndTheProgramGoesOn) {
    WriteInterfaceIsEnglish(0);
    // Another program holds the store's write lock for longer than a writer waits (a
    // second here, not the default half minute).
    const int defaultWait = TSettingsStore::DefaultBusyTimeout();
    TSettingsStore::SetDefaultBusyTimeout(1000);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(config_.StorePath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    TFakeHost boxes;  // a restart would throw
    std::unique_ptr<TFormCommercialTTS> form;
    try {
        form = OpenForm(false);
        form->SwitchLanguage();
    } catch (const TCustomException &e) {
        ADD_FAILURE() << e.Message();
    }
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->InterfaceIsEnglish);
    EXPECT_EQ(boxes.Texts().size(), 1u) << "the store's failure is shown";
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(ReadInterfaceIsEnglish(), 0);
    TSettingsStore::SetDefaultBusyTimeout(defaultWait);
}

// A paste that passes the limit keeps its whole words that fit and says what was left out.
TEST_F(MainFormTest, APasteOverTheLimitIsCutAfterAWholeWordAndTheStatusBarSaysSo) {
    auto form = OpenForm();
    wxTextCtrl *text = form->TextBox.Ctrl();
    const wxString before(wxUniChar('a'), 4090);
    text->ChangeValue(before);
    text->SetInsertionPointEnd();
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(" bir iki üç")));
    wxTheClipboard->Close();
    text->Paste();
    ASSERT_TRUE(PumpUntil([&] { return text->GetValue() != before; }, 3)) << "nothing was pasted";
    EXPECT_EQ(text->GetValue(), before + " bir ");
    EXPECT_EQ(std::string(form->StatusBar.GetText(TFormCommercialTTS::NotePart).View()),
              "5 karakter yapıştırıldı; 6 karakter sığmadı (sınır 4096)"_cp);
}

TEST_F(MainFormTest, TheTextBoxTakesNoMoreThan4096TypedCharacters) {
    auto form = OpenForm();
    wxTextCtrl *text = form->TextBox.Ctrl();
    text->ChangeValue(wxString(wxUniChar('a'), 4094));
    text->SetInsertionPointEnd();
    form->Dialog()->Raise();
    text->SetFocus();
    Pump();
    wxUIActionSimulator typist;
    // Put the pointer over the text box so that it has the keyboard without a window manager.
    typist.MouseMove(text->GetScreenRect().GetPosition() + wxPoint(20, 20));
    Pump();
    typist.Text("bcdef");
    PumpUntil([&] { return text->GetLastPosition() >= 4096; }, 3);
    Pump();
    EXPECT_EQ(text->GetValue(), wxString(wxUniChar('a'), 4094) + "bc");
}

}  // namespace
