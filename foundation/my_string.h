// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MyString: the program's one string type. 8-bit, NUL-terminated Windows-1254 text kept in
// a memory stream of granularity 24. A default-constructed string has no buffer (Text() is
// null); every assignment gives it one, after which Text() is never null. Callers rely on
// that difference.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"

class MyString {
public:
    MyString();
    // null gives ""; otherwise a copy up to the first NUL.
    MyString(const char *text);  // NOLINT: implicit on purpose, like a C string
    // Copies the source's text up to its first NUL; a source without buffer gives "".
    MyString(const MyString &other);
    MyString &operator=(const MyString &other);
    virtual ~MyString();

    // printf-style formatting constructor. Raises "Internal MyString MakeStr Error." when
    // the length cannot be measured or the formatting produced more than it measured.
    static MyString MakeStr(const char *format, ...) __attribute__((format(printf, 1, 2)));

    // The first character, or null for a string without buffer.
    const char *Text() const { return reinterpret_cast<const char *>(stream_.Memory()); }
    char *Text() { return reinterpret_cast<char *>(stream_.Memory()); }
    // Stream size - 1, or 0 without buffer. Embedded NULs stored by Assign(data, len) count.
    int32_t Length() const;
    bool HasBuffer() const { return stream_.Memory() != nullptr; }

    // The text becomes "".
    void Clear();
    // null gives ""; otherwise copies up to the first NUL.
    void Assign(const char *text);
    // null data gives ""; otherwise exactly `length` bytes, then the NUL.
    void Assign(const void *data, int32_t length);
    void Assign(const MyString &other);
    // Converts `length` UTF-16 units (up to the wide NUL when length is -1). Length 0 or
    // less gives "".
    void AssignWide(const char16_t *text, int32_t length = -1);
    // Appends `length` bytes before the terminating NUL.
    void Append(const void *data, int32_t length);
    void Append(const char *text);

    // Pointer to the character at `index`; index == Length() gives the terminator. Raises
    // "invalid request to string" without buffer, for index < 0 or index >= stream size.
    char *CharAt(int32_t index);
    // Removes the one character at `index` (0 <= index < Length()).
    void Delete(int32_t index);
    // Never raises: start < 0 shortens count by |start|; the result is clipped to the text.
    MyString SubString(int32_t start, int32_t count) const;
    // Removes leading and trailing CR, LF and blanks; tabs stay.
    void Trim();

    // True when both have no buffer; false when only one has; else equal length and
    // SameText.
    bool Equals(const MyString &other) const;

    // Helpers at the borders.
    std::string_view View() const { return {Text() ? Text() : "", size_t(Length())}; }
    std::string ToUtf8() const;
    static MyString FromUtf8(std::string_view utf8);

private:
    TMemoryStream stream_;
};

// MyString for members that hold a file name.
class MyFileName : public MyString {
public:
    using MyString::MyString;
};

// A C text against a MyString: when `str` has no buffer the result is whether `text` is
// null; otherwise a null text gives false; otherwise the lengths (strlen) must match and
// SameText decides.
bool Equals(const char *text, const MyString &str);

// Upper case of one Windows-1254 byte with the Turkish letter pairs (i -> İ, ı -> I, ...).
char TurkishUpper(char c);
// Case-insensitive equality of two texts of equal length n, Turkish-aware.
bool SameText(const char *a, const char *b, int32_t n);
// Removes trailing characters of `set` (null: " \t\n\r") from `buffer` in place.
char *TrimRightChars(char *buffer, const char *set);

// --- Wide text buffer: UTF-16 units plus a 2-byte zero terminator in a memory stream of
// granularity 48. Its character length is (size - 2) / 2.
using TWideBuffer = TMemoryStream;

inline constexpr int32_t WideBufferGranularity = 48;

// A buffer holding `text`, or the empty wide text when null.
void MakeWideBuffer(TWideBuffer &buffer, const char16_t *text);
void ClearWide(TWideBuffer &buffer);
// Exactly `length` units (up to the NUL when -1) and the terminator; null gives empty.
void SetWide(TWideBuffer &buffer, const char16_t *text, int32_t length = -1);
// Converts `length` bytes of Windows-1254 text (up to its NUL when -1); null or length 0
// gives the empty wide text.
void AnsiToWide(TWideBuffer &buffer, const char *text, int32_t length = -1);
// The text of a buffer (never null once set) and its length in characters.
const char16_t *WideText(const TWideBuffer &buffer);
int32_t WideLength(const TWideBuffer &buffer);

// True when `a` has exactly n characters and they equal the first n of `b`, ignoring ASCII
// letter case (the C library's case-insensitive wide comparison in the C locale).
bool SameWideText(const char16_t *a, int32_t n, const char16_t *b);
