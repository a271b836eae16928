// SPDX-License-Identifier: GPL-3.0-or-later
// The XML switch, menu and commands on real windows (run under Xvfb), with a small owner
// form holding the main form's text box, XML switch and button.

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <filesystem>
#include <fstream>

#include "app/xml_kinds.h"
#include "app/xml_sentence_commands.h"
#include "foundation/code_page.h"
#include "service/xml_sentence.h"
#include "tests/support/fake_host.h"
#include "tests/ui/support/gui_test.h"
#include "ui/button.h"
#include "ui/edit.h"

namespace {

const TDialogTemplate OwnerTemplate{9133, 400, 280, "Owner", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csMultiLine | csVScroll | csHScroll | csWantReturn | csTabStop, 7, 24, 357, 231, ""},
    {1034, TControlKind::CheckBox, csTabStop, 210, 10, 65, 10, "XML Ön İşleme"_cp, "XML Pre Processing"},
    {1035, TControlKind::PushButton, csTabStop | csDisabled, 283, 9, 66, 14, "XML Cümleleri"_cp, "XML Sentences"},
}};

class TOwnerForm : public TForm {
public:
    explicit TOwnerForm(bool english) : TForm(OwnerTemplate), English(english), Commands(*this) {
        BindControl(1000, TextBox);
        BindControl(1034, XmlSwitch);
        BindControl(1035, XmlButton);
        Commands.Build(english);
    }
    bool English;
    TEdit TextBox;
    TButton XmlSwitch, XmlButton;
    TXmlSentenceCommands Commands;
};

class XmlCommandsTest : public GuiTest {
protected:
    void Open(TOwnerForm &owner) {
        ASSERT_TRUE(owner.Create());
        owner.ApplyTexts(owner.English);
        owner.Dialog()->Show();
        Pump();
    }
    // Answers the input dialog with `utf8`, or cancels it when null; records its prompt.
    void AnswerInput(const char *utf8) {
        WhenModal([this, utf8](wxDialog *dialog) {
            wxWindow *prompt = dialog->FindWindow(8003);
            Prompt = prompt ? prompt->GetLabel().utf8_string() : "(no prompt)";
            BusyWhileAsking = wxIsBusy();
            if (utf8) {
                dynamic_cast<wxTextCtrl *>(dialog->FindWindow(8000))->SetValue(wxString::FromUTF8(utf8));
                Press(dialog, 8001);
            } else {
                Press(dialog, 8002);
            }
        });
    }
    static void Press(wxDialog *dialog, int32_t id) {
        wxWindow *button = dialog->FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent click(wxEVT_BUTTON, id);
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
    }
    static std::string Cp(const char *utf8) { return cp1254::FromUtf8(utf8); }
    static std::string TextOf(TEdit &edit) { return std::string(edit.GetWholeTextAnsi().View()); }
    static std::string Sentence(const char *valueLine, int kind) {
        return "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"" + std::to_string(kind) +
               "\">\r\n" + valueLine + "\r\n</SENTENCEPART>\r\n</SENTENCE>\r\n</xml>\r\n";
    }

    std::string Prompt;
    bool BusyWhileAsking = true;
};

TEST_F(XmlCommandsTest, MenuTextsFollowTheInterfaceLanguage) {
    const struct {
        bool english;
        const char *load, *build;
        const char *items[5];  // in submenu order: person, address, title, plate, phone
    } cases[] = {
        {true, "Load XML Sentence Samples", "Build Simple XML Sentence",
         {"Person Name", "Address", "Comercial Title", "License Plate", "Phone Number"}},
        {false, "Örnek XML Cümlesi Yükle", "Basit XML Cümlesi Oluştur",
         {"Kişi Adı", "Adres", "Ticari Ünvan", "Araç Plakası", "Telefon Numarası"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.english ? "English" : "Turkish");
        TOwnerForm owner(c.english);
        wxMenu *menu = owner.Commands.Menu.Menu();
        ASSERT_EQ(menu->GetMenuItemCount(), 3u);
        EXPECT_EQ(menu->FindItemByPosition(0)->GetId(), XmlCommandLoadSamples);
        EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText().utf8_string(), c.load);
        EXPECT_TRUE(menu->FindItemByPosition(1)->IsSeparator());
        wxMenuItem *build = menu->FindItemByPosition(2);
        EXPECT_EQ(build->GetItemLabelText().utf8_string(), c.build);
        ASSERT_EQ(build->GetSubMenu(), owner.Commands.BuildMenu.Menu());
        const int order[] = {20202, 20200, 20201, 20203, 20204};
        for (int i = 0; i < 5; ++i) {
            wxMenuItem *item = build->GetSubMenu()->FindItemByPosition(i);
            EXPECT_EQ(item->GetId(), order[i]);
            EXPECT_EQ(item->GetItemLabelText().utf8_string(), c.items[i]);
        }
    }
}

TEST_F(XmlCommandsTest, BuildersPutTheSentenceIntoTheTextBox) {
    const struct {
        const char *label;
        bool english;
        int command;
        const char *typed;
        std::string expected;
        const char *promptPart;
    } cases[] = {
        {"address with markup", true, 20200, "A & B <1>", Sentence("A &amp; B &lt;1&gt;", 1),
         "Type Only 1 Address.\nAttention !. The text you typed must not include any other value except Address."},
        {"empty value", true, 20204, "", Sentence("", 5), "Type Only 1 Phone Number."},
        {"Turkish plate", false, 20203, "34 ÇDE 07", Sentence("34 \xC7" "DE 07", 4),
         "Yalnızca 1 adet Araç Plaka bilgisi giriniz.\nDikkat !. Girdiğiniz metinde, bir Araç Plaka bilgisi dışında herhangi bir kelime olmamalıdır."},
        {"Turkish person name", false, 20202, "Av. Gül Ş. Öztürk", Cp("<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"3\">\r\nAv. Gül Ş. Öztürk\r\n</SENTENCEPART>\r\n</SENTENCE>\r\n</xml>\r\n"),
         "Kişi Adı bilgisi giriniz."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TOwnerForm owner(c.english);
        Open(owner);
        owner.TextBox.SetAnsiText("eski metin");
        AnswerInput(c.typed);
        EXPECT_TRUE(owner.Commands.RunCommand(c.command, owner.TextBox));
        EXPECT_EQ(TextOf(owner.TextBox), c.expected);
        // The prompt's CR LF may reach the label as a line feed alone.
        std::string prompt = Prompt;
        std::erase(prompt, '\r');
        EXPECT_NE(prompt.find(c.promptPart), std::string::npos) << prompt;
        EXPECT_FALSE(BusyWhileAsking) << "the user types with the ordinary cursor";
        EXPECT_FALSE(wxIsBusy()) << "the wait cursor ends with the command";
    }
}

TEST_F(XmlCommandsTest, CancellingTheBuilderLeavesTheTextBox) {
    TOwnerForm owner(false);
    Open(owner);
    owner.TextBox.SetAnsiText("Merhaba d\xFCnya.");
    AnswerInput(nullptr);
    EXPECT_TRUE(owner.Commands.RunCommand(20201, owner.TextBox));
    EXPECT_EQ(TextOf(owner.TextBox), "Merhaba d\xFCnya.");
}

TEST_F(XmlCommandsTest, CommandsOutsideTheItemsDoNothing) {
    TOwnerForm owner(true);
    Open(owner);
    owner.TextBox.SetAnsiText("kalsın"_cp);
    TFakeHost boxes;
    for (int id : {20000, 20198, 20205, 20500}) EXPECT_TRUE(owner.Commands.RunCommand(id, owner.TextBox)) << id;
    for (int id : {19999, 20501, 1035}) EXPECT_FALSE(owner.Commands.RunCommand(id, owner.TextBox)) << id;
    EXPECT_EQ(TextOf(owner.TextBox), "kalsın"_cp);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(XmlCommandsTest, TheSwitchEnablesTheButtonAndLeavesTheText) {
    TOwnerForm owner(true);
    Open(owner);
    EXPECT_FALSE(owner.XmlSwitch.IsChecked());
    EXPECT_FALSE(owner.XmlButton.IsEnabled());
    owner.TextBox.SetAnsiText("<xml>\r\n</xml>\r\n");
    const std::string before = TextOf(owner.TextBox);
    for (bool on : {true, false, true, false}) {
        owner.XmlSwitch.SetChecked(on);
        owner.Commands.OnXmlSwitchClicked(owner.XmlSwitch, owner.XmlButton);
        EXPECT_EQ(owner.XmlButton.IsEnabled(), on);
        EXPECT_EQ(TextOf(owner.TextBox), before);
    }
}

class XmlSampleLoadTest : public XmlCommandsTest {
protected:
    // The user's choice in the host's file dialog: `path`, or cancelling when it is empty.
    // Records the folder the dialog starts in, and whether the wait cursor was shown
    // meanwhile.
    void ChooseInFileDialog(std::string path) {
        host.OnChooseFile = [this, path](const char *folder, const char *extension, std::string &chosen) {
            StartFolder = cp1254::ToUtf8(folder);
            Extension = extension;
            BusyWhileAsking = wxIsBusy();
            if (path.empty()) return false;
            chosen = cp1254::FromUtf8(path);
            return true;
        };
    }
    TFakeHost host;
    std::string StartFolder, Extension;
};

TEST_F(XmlSampleLoadTest, TheChosenSampleReplacesTheText) {
    const std::filesystem::path folder = std::filesystem::path(NARRELO_BINARY_DIR) / "share/narrelo/XML";
    TOwnerForm owner(false);
    Open(owner);
    owner.TextBox.SetAnsiText("eski");
    ChooseInFileDialog((folder / "mixed.xml").string());
    EXPECT_TRUE(owner.Commands.RunCommand(XmlCommandLoadSamples, owner.TextBox));
    EXPECT_EQ(std::filesystem::path(StartFolder), folder);
    EXPECT_EQ(Extension, "xml");
    std::ifstream in(folder / "mixed.xml", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(TextOf(owner.TextBox), bytes);
    EXPECT_FALSE(BusyWhileAsking);
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(XmlSampleLoadTest, CancellingTheFileDialogLeavesTheText) {
    TOwnerForm owner(true);
    Open(owner);
    owner.TextBox.SetAnsiText("kalsın"_cp);
    ChooseInFileDialog("");
    EXPECT_TRUE(owner.Commands.RunCommand(XmlCommandLoadSamples, owner.TextBox));
    EXPECT_EQ(TextOf(owner.TextBox), "kalsın"_cp);
}

TEST_F(XmlSampleLoadTest, AnUnreadableFileIsShownAndLeavesTheText) {
    TOwnerForm owner(true);
    Open(owner);
    owner.TextBox.SetAnsiText("kalsın"_cp);
    const std::string missing = (std::filesystem::temp_directory_path() / "narrelo-no-such-sample.xml").string();
    ChooseInFileDialog(missing);
    EXPECT_TRUE(owner.Commands.RunCommand(XmlCommandLoadSamples, owner.TextBox));
    ASSERT_EQ(host.Texts().size(), 1u);
    EXPECT_EQ(host.Texts()[0].rfind("File Not Opened ", 0), 0u) << host.Texts()[0];
    EXPECT_EQ(TextOf(owner.TextBox), "kalsın"_cp);
}

}  // namespace
