// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/xml_sentence.h"

#include <cstring>

#include "foundation/exceptions.h"

namespace {

const char *ReplacementOf(char c) {
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return nullptr;
    }
}

}  // namespace

void EscapeXml(MyString &text) {
    const int32_t length = text.Length();
    const char *source = text.Text();
    int32_t first = 0;
    while (first < length && !ReplacementOf(source[first])) ++first;
    if (first == length) return;

    // Everything before the first special character is copied once; after it, character by
    // character, runs of plain characters in one append.
    MyString escaped;
    escaped.Assign(source, first);
    int32_t runStart = first;
    for (int32_t i = first; i < length; ++i) {
        const char *replacement = ReplacementOf(source[i]);
        if (!replacement) continue;
        escaped.Append(source + runStart, i - runStart);
        escaped.Append(replacement);
        runStart = i + 1;
    }
    escaped.Append(source + runStart, length - runStart);
    text = escaped;
}

MyString FormatXmlSentence(const MyString &value, int kind) {
    if (kind == 6) RaiseError("Valid TextKind Required");
    MyString escaped;
    escaped.Assign(value.Text() ? value.Text() : "");
    EscapeXml(escaped);
    return MyString::MakeStr(
        "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"%d\">\r\n%s\r\n</SENTENCEPART>\r\n"
        "</SENTENCE>\r\n</xml>\r\n",
        kind, escaped.Text());
}
