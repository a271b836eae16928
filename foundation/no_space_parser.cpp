// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/no_space_parser.h"

#include <cstring>

#include "foundation/exceptions.h"

TNoSpaceParser::TNoSpaceParser() : separators_(" \t\n\r") {}

void TNoSpaceParser::SetText(const char *text, int32_t length, int32_t position) {
    lastWord_ = nullptr;
    lastWordLength_ = 0;
    TTextStream::SetText(text, length, position);
}

bool TNoSpaceParser::IsSeparator(char c) const {
    return c == '\0' || std::memchr(separators_.Text(), c, std::size_t(separators_.Length()));
}

void TNoSpaceParser::Remember(const char *word, int32_t length) {
    if (length <= 0) return;
    lastWord_ = word;
    lastWordLength_ = length;
}

const char *TNoSpaceParser::NextWord(int32_t &length) {
    if (Position() >= Length()) RaiseError("TextStream position >= size");
    const char *start = Current();
    length = 0;
    if (Eof()) return nullptr;

    if (*Current() == ' ') {
        // The blank and the separators after it make one empty token; the end of the text
        // ends the run without counting as a separator.
        while (Position() + 1 < Length() && IsSeparator(CharAt(Position() + 1))) StepForward();
        StepForward();
        return start;
    }

    while (!Eof() && !IsSeparator(*Current())) StepForward();
    length = int32_t(Current() - start);
    StepForward();  // past the separator
    // At the end of the text the cursor stays on the word's last character, which the
    // difference above left out.
    if (Eof() && !IsSeparator(*Current())) ++length;
    Remember(start, length);
    return start;
}

const char *TNoSpaceParser::PrevWord(int32_t &length) {
    length = 0;
    if (Position() < 0 || Bof()) return nullptr;
    while (IsSeparator(*Current())) {
        if (Position() == 0) {
            SetBof(true);
            return nullptr;
        }
        Move(-1);
    }
    const int32_t end = Position();
    while (Position() > 0 && !IsSeparator(CharAt(Position() - 1))) Move(-1);
    const char *word = Current();
    length = end - Position() + 1;
    if (Position() == 0)
        SetBof(true);
    else
        Move(-1);
    SetEof(false);
    Remember(word, length);
    return word;
}
