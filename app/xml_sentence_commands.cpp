// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/xml_sentence_commands.h"

#include <wx/utils.h>

#include "app/xml_kinds.h"
#include "foundation/code_page.h"
#include "foundation/file_stream.h"
#include "foundation/folders.h"
#include "foundation/host.h"
#include "foundation/memory_stream.h"
#include "service/xml_sentence.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/input_dialog.h"
#include "ui/wx_text.h"

TXmlSentenceCommands::TXmlSentenceCommands(TForm &owner) : BuildMenu(&owner), Menu(&owner) {}

void TXmlSentenceCommands::Build(bool english) {
    english_ = english;
    const TXmlMenuTexts texts(english);
    Menu.Append(XmlCommandLoadSamples, texts.LoadSamples);
    Menu.AppendSeparator();
    for (int command : XmlSubmenuOrder)
        BuildMenu.Append(command, XmlKindMenuText(XmlKindOfCommand(command), english));
    Menu.AppendSubMenu(BuildMenu, texts.BuildSubmenu);
}

void TXmlSentenceCommands::OnXmlSwitchClicked(TButton &xmlSwitch, TButton &xmlButton) {
    TForm::Guarded([&] { xmlButton.SetEnabled(xmlSwitch.IsChecked()); });
}

void TXmlSentenceCommands::ShowMenu() {
    TForm::Guarded([&] { Menu.Track(); });
}

// The wait cursor for the length of a command. It is taken away while the user chooses a
// file or types a value, so that a dialog is used with the ordinary cursor; a wait cursor
// the caller already shows is taken away then too, and comes back with this one.
class TWaitCursor {
public:
    TWaitCursor() { wxBeginBusyCursor(); }
    ~TWaitCursor() {
        if (paused_ == 0) wxEndBusyCursor();
    }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
    void Pause() {
        while (wxIsBusy()) {
            wxEndBusyCursor();
            ++paused_;
        }
    }
    void Resume() {
        for (; paused_ > 0; --paused_) wxBeginBusyCursor();
    }

private:
    int paused_ = 0;  // busy levels taken away by Pause, this one's included
};

namespace {

// Runs a modal dialog with the wait cursor paused.
template <typename Dialog>
bool AskUser(TWaitCursor &wait, Dialog &&dialog) {
    wait.Pause();
    struct TResume {
        TWaitCursor &Wait;
        ~TResume() { Wait.Resume(); }
    } resume{wait};
    return dialog();
}

}  // namespace

bool TXmlSentenceCommands::RunCommand(int32_t id, TEdit &textBox) {
    if (id < XmlCommandFirst || id > XmlCommandLast) return false;
    TWaitCursor wait;
    TForm::Guarded([&] {
        if (id == XmlCommandLoadSamples) LoadSamples(textBox, wait);
        else if (const int kind = XmlKindOfCommand(id)) BuildSentence(kind, textBox, wait);
    });
    return true;
}

MyString TXmlSentenceCommands::SamplesFolder() {
    MyString folder = NarreloDataFolder();
    folder.Append("/XML");
    return folder;
}

void TXmlSentenceCommands::LoadSamples(TEdit &textBox, TWaitCursor &wait) {
    std::string chosen;
    if (!AskUser(wait, [&] { return Host().ChooseFileToOpen(SamplesFolder().Text(), "xml", chosen); }))
        return;

    TFileStream file(chosen.c_str(), "rb");
    file.SetActive(true);
    const int32_t size = file.GetSize();
    TMemoryStream bytes;
    bytes.SetSize(size);
    const int32_t read = size > 0 ? file.Read(bytes.Memory(), size) : 0;
    SetAnsiText(textBox.Window(), reinterpret_cast<const char *>(bytes.Memory()), read);
}

void TXmlSentenceCommands::BuildSentence(int kind, TEdit &textBox, TWaitCursor &wait) {
    const MyString prompt = XmlBuilderPrompt(kind, english_);
    std::u16string typed;
    if (!AskUser(wait, [&] { return InputQuery(prompt.Text(), typed); })) return;
    const std::string value = cp1254::FromUtf16(typed);
    const MyString sentence = FormatXmlSentence(MyString(value.c_str()), kind);
    SetAnsiText(textBox.Window(), sentence.Text(), sentence.Length());
}
