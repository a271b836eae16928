// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The XML menu's commands and texts, in both interface languages: which text kind each
// builder command makes, the kind's name in the menu and in the builder's prompt (they differ
// for the licence plate in Turkish), and the prompt itself. All texts are Windows-1254.
//
// The main form routes every menu command from XmlCommandFirst to XmlCommandLast here; ids
// without an item do nothing.

#include "foundation/my_string.h"

inline constexpr int XmlCommandFirst = 20000;
inline constexpr int XmlCommandLast = 20500;
inline constexpr int XmlCommandLoadSamples = 20199;
// Commands 20200..20204 build a sentence of kind 1..5 (address, commercial title, person
// name, licence plate, phone number).
inline constexpr int XmlCommandBuildFirst = 20200;
inline constexpr int XmlCommandBuildLast = 20204;

// The kind a builder command makes, or 0 for any other id.
int XmlKindOfCommand(int command);

// The kind's name as the menu shows it, and as the prompt names it. A kind outside 1..5 has
// no name: "not imp" is raised.
const char *XmlKindMenuText(int kind, bool english);
const char *XmlKindPromptName(int kind, bool english);

// The builder's prompt: two lines (CR LF) naming the kind twice.
MyString XmlBuilderPrompt(int kind, bool english);

// The texts of the XML menu, chosen once by the interface language.
struct TXmlMenuTexts {
    explicit TXmlMenuTexts(bool english);
    const char *LoadSamples;   // command 20199
    const char *BuildSubmenu;  // the submenu holding the five builders
};

// Builder commands in the order the submenu lists them: person name first.
inline constexpr int XmlSubmenuOrder[] = {20202, 20200, 20201, 20203, 20204};
