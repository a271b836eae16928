// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// XML sentence documents, as the client's builder writes them (Windows-1254 text):
//
//   <xml>
//   <SENTENCE>
//   <SENTENCEPART TEXTKIND="3">
//   value
//   </SENTENCEPART>
//   </SENTENCE>
//   </xml>
//
// A document may hold several SENTENCE elements; each is one sentence. TEXTKIND says how a
// part is read (1 address, 2 commercial title, 3 person name, 4 licence plate, 5 phone
// number); text outside any part is running text (kind 0).
//
// The bytes are parsed as they are (pugixml without an encoding conversion), so positions
// are byte positions of the submitted text and element text comes back in Windows-1254.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/text_range.h"

// A malformed document, in the format category: the message names the line ("XML error on
// line 3: ...").
class TXmlSentenceError : public TException {
public:
    explicit TXmlSentenceError(const std::string &text)
        : TException(text, TErrorCategory::Format) {}
};

struct TXmlSentence {
    TTextRange Range;      // the SENTENCE element, from its "<" to the end of its end tag
    std::string Document;  // a complete document of this one sentence
};

struct TXmlTextPart {
    int32_t Kind = 0;
    std::string Text;  // white space at both ends removed

    bool operator==(const TXmlTextPart &) const = default;
};

std::vector<TXmlSentence> ParseXmlSentences(std::string_view document);
// The texts of a document in reading order, empty parts left out.
std::vector<TXmlTextPart> XmlTextParts(std::string_view document);
