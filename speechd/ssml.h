// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SSML a speech-dispatcher client's message arrives in, as the steps the module speaks:
// text, marks, pauses, characters to spell, and the prosody each text is said with.
//
// Text outside any tag is text; the text of an element the module does not know is read; a
// <sub alias> is read as its alias. A document that is not well-formed XML is read as plain
// text: its tags dropped, its entities decoded, never refused in silence.

#include <string>
#include <string_view>
#include <vector>

struct TProsody {
    double Rate = 1.0;   // times the voice's rate
    double Pitch = 1.0;  // times the voice's pitch

    bool operator==(const TProsody &) const = default;
};

struct TSsmlStep {
    enum class TKind { Text, Mark, Break, Characters };
    TKind Kind = TKind::Text;
    std::string Value;     // UTF-8 text or characters; the mark's name
    int Milliseconds = 0;  // Break
    TProsody Prosody;      // Text and Characters

    bool operator==(const TSsmlStep &) const = default;
};

struct TSsmlMessage {
    std::vector<TSsmlStep> Steps;
    bool WellFormed = true;  // false: read as plain text
};

TSsmlMessage ParseSsml(std::string_view document);
