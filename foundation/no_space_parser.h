// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNoSpaceParser: splits a text into words, a word being a maximal run of characters that
// are not separators (blank, tab, line feed, carriage return, NUL).
//
// NextWord walks forward from the cursor and returns each word once, in order, with its
// exact length. Separators between words may show up as empty tokens (length 0): a run that
// starts with a blank gives one, and so does a tab, line feed or carriage return met on its
// own. After the last word it returns null.
//
// PrevWord walks backward from the cursor and returns the words in reverse order, without
// empty tokens: set the text with the cursor on its last character and call it until it
// returns null.

#include <cstdint>

#include "foundation/my_string.h"
#include "foundation/text_stream.h"

class TNoSpaceParser : public TTextStream {
public:
    TNoSpaceParser();

    // Also forgets the last word found.
    void SetText(const char *text, int32_t length, int32_t position) override;
    using TTextStream::SetText;

    // The next token and its length (0 for a separator token), or null at the end. Raises
    // "TextStream position >= size" when the cursor lies beyond the text.
    virtual const char *NextWord(int32_t &length);
    // The word ending at or before the cursor and its length (> 0), or null when there is
    // none; the cursor ends before the word (Bof when the word starts the text).
    virtual const char *PrevWord(int32_t &length);

    // The last word of length > 0 either walk returned, or null.
    const char *LastWord() const { return lastWord_; }
    int32_t LastWordLength() const { return lastWordLength_; }

    // NUL or one of the separator set.
    bool IsSeparator(char c) const;

private:
    void Remember(const char *word, int32_t length);

    MyString separators_;
    const char *lastWord_ = nullptr;
    int32_t lastWordLength_ = 0;
};
