// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TTextStream: a cursor over a character buffer that belongs to the caller (it must outlive
// the stream). Without text (after construction or Clear): Text null, Length 0, Position
// -1, Current null, Eof and Bof set.
//
// Eof means a step forward was attempted from the last character, Bof a step back from the
// first; in both cases the cursor stays where it was.

#include <cstdint>

class TTextStream {
public:
    TTextStream() = default;
    virtual ~TTextStream() = default;

    // With a non-null text and length > 0: raises "A Text Position Must be < AText Length"
    // unless 0 <= position < length, else sets the text and the cursor and clears Eof and
    // Bof. A null text or length <= 0 gives the state without text.
    virtual void SetText(const char *text, int32_t length, int32_t position);
    virtual void SetText(const char *text, int32_t length) { SetText(text, length, 0); }

    // Moves the cursor by `distance` and returns the new position. Raises "Invalid Distance
    // %d. Len: %d. Pos: %d" when the target lies outside [0, Length). Flags unchanged.
    virtual int32_t Move(int32_t distance);
    virtual int32_t Next() { return Move(1); }
    // Move when the target lies inside the text (true), else nothing (false).
    virtual bool TryMove(int32_t distance);
    // Moves to the target clamped into [0, Length - 1].
    virtual void MoveClamped(int32_t distance);
    // Copies the other stream's text and cursor, or clears when it has no text.
    virtual void Assign(const TTextStream &other);
    virtual void Clear();
    virtual bool Eof() const { return eof_; }
    virtual bool Bof() const { return bof_; }

    // One step back. At the first character sets Bof and returns whether Bof was not set
    // before; otherwise moves, clears Eof and returns true.
    bool Prior();
    // One step forward, clearing Bof; at the last character sets Eof instead.
    void StepForward();

    const char *Text() const { return text_; }
    int32_t Length() const { return length_; }
    int32_t Position() const { return position_; }
    const char *Current() const { return current_; }
    // The character at `offset`; raises "Invalid Offset for Txt Stream %d" outside the text.
    char CharAt(int32_t offset) const;

protected:
    void SetEof(bool eof) { eof_ = eof; }
    void SetBof(bool bof) { bof_ = bof; }

private:
    const char *text_ = nullptr;
    int32_t length_ = 0;
    int32_t position_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    const char *current_ = nullptr;
};
