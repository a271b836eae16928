// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main form's XML sentence commands: the XML switch enabling the "XML Sentences" button,
// the XML menu that button shows, and its commands, which only put text into the text box:
// loading a sample file (20199) and building a one-value sentence of a text kind
// (20200..20204). The switch itself is what makes a reading send its text as XML.
//
// The menu texts are chosen once, when the form builds the menu at its construction, by the
// interface language. The form owns one of these for its whole life and forwards the events
// below to it.

#include <cstdint>
#include <functional>

#include "foundation/my_string.h"
#include "ui/popup_menu.h"

class TButton;
class TEdit;
class TForm;
class TWaitCursor;

class TXmlSentenceCommands {
public:
    // Empty menus whose commands go to `owner`'s OnCommand.
    explicit TXmlSentenceCommands(TForm &owner);
    // Fills the menu and its "Build Simple XML Sentence" submenu with the texts of the
    // language; the language also chooses the builders' prompts. Once, before ShowMenu.
    void Build(bool english);

    // Check box 1034 clicked: button 1035 enabled exactly while the box is on.
    void OnXmlSwitchClicked(TButton &xmlSwitch, TButton &xmlButton);
    // Button 1035 clicked: the menu at the mouse cursor.
    void ShowMenu();
    // A menu command from XmlCommandFirst to XmlCommandLast (others: false, nothing done).
    // Runs under the wait cursor; a program exception is shown in a message box and the text
    // box keeps its text.
    bool RunCommand(int32_t id, TEdit &textBox);

    // The samples folder: "<data folder>/XML", where the host's file dialog starts
    // (foundation/host.h: ChooseFileToOpen).
    static MyString SamplesFolder();

    // Declared before Menu: the submenu must outlive the menu that holds it.
    TPopupMenu BuildMenu;
    TPopupMenu Menu;

private:
    void LoadSamples(TEdit &textBox, TWaitCursor &wait);
    void BuildSentence(int kind, TEdit &textBox, TWaitCursor &wait);

    bool english_ = false;
};
