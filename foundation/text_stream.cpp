// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/text_stream.h"

#include "foundation/exceptions.h"

void TTextStream::SetText(const char *text, int32_t length, int32_t position) {
    if (text == nullptr || length <= 0) {
        TTextStream::Clear();
        return;
    }
    if (position < 0 || position > length - 1) RaiseError("A Text Position Must be < AText Length");
    text_ = text;
    length_ = length;
    position_ = position;
    current_ = text + position;
    eof_ = false;
    bof_ = false;
}

int32_t TTextStream::Move(int32_t distance) {
    // 64-bit sum: a huge distance must not wrap into the text.
    const int64_t target = int64_t(position_) + distance;
    if (target < 0 || target >= length_)
        RaiseError("Invalid Distance %d. Len: %d. Pos: %d", distance, length_, position_);
    position_ = int32_t(target);
    current_ = text_ + position_;
    return position_;
}

bool TTextStream::TryMove(int32_t distance) {
    const int64_t target = int64_t(position_) + distance;
    if (target < 0 || target >= length_) return false;
    Move(distance);
    return true;
}

void TTextStream::MoveClamped(int32_t distance) {
    int64_t target = int64_t(position_) + distance;
    if (target > length_ - 1) target = length_ - 1;
    if (target < 0) target = 0;
    Move(int32_t(target - position_));
}

void TTextStream::Assign(const TTextStream &other) {
    if (other.Length() > 0)
        SetText(other.Text(), other.Length(), other.Position());
    else
        Clear();
}

void TTextStream::Clear() {
    text_ = nullptr;
    length_ = 0;
    position_ = -1;
    current_ = nullptr;
    eof_ = true;
    bof_ = true;
}

bool TTextStream::Prior() {
    if (position_ <= 0) {
        const bool wasBof = bof_;
        bof_ = true;
        return !wasBof;
    }
    Move(-1);
    eof_ = false;
    return true;
}

void TTextStream::StepForward() {
    if (position_ < length_ - 1) {
        Move(1);
        bof_ = false;
    } else {
        eof_ = true;
    }
}

char TTextStream::CharAt(int32_t offset) const {
    if (offset < 0 || offset >= length_) RaiseError("Invalid Offset for Txt Stream %d", offset);
    return text_[offset];
}
