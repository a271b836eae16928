// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/my_string.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"

namespace {

constexpr int32_t kStringGranularity = 24;

// True when [data, data + length) lies in the stream's block, which an assignment is about
// to replace: such a source is copied first.
bool Overlaps(const TMemoryStream &stream, const void *data, int32_t length) {
    auto *p = static_cast<const uint8_t *>(data);
    const uint8_t *block = stream.Memory();
    return block && length > 0 && p < block + stream.Capacity() && block < p + length;
}

}  // namespace

MyString::MyString() : stream_(kStringGranularity) {}

MyString::MyString(const char *text) : stream_(kStringGranularity) { Assign(text); }

MyString::MyString(const MyString &other) : stream_(kStringGranularity) { Assign(other); }

MyString &MyString::operator=(const MyString &other) {
    Assign(other);
    return *this;
}

MyString::~MyString() = default;

MyString MyString::MakeStr(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int n = format ? std::vsnprintf(nullptr, 0, format, measure) : -1;
    va_end(measure);
    if (n < 0) {
        va_end(args);
        RaiseError("Internal MyString MakeStr Error.");
    }
    std::vector<char> buffer(std::size_t(n) + 1);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written < 0 || written > n) RaiseError("Internal MyString MakeStr Error.");
    MyString result;
    result.Assign(buffer.data(), n);
    return result;
}

int32_t MyString::Length() const {
    const int32_t size = stream_.DataSize();
    return size > 0 ? size - 1 : 0;
}

void MyString::Clear() { Assign("", 0); }

void MyString::Assign(const char *text) {
    if (!text) text = "";
    Assign(text, int32_t(std::strlen(text)));
}

void MyString::Assign(const void *data, int32_t length) {
    if (!data || length < 0) length = 0;
    // Sized in place rather than released first: a size the stream cannot take raises before
    // anything changed, so the string keeps its text (and never loses its buffer).
    if (length == INT32_MAX) RaiseError("SMemoryStream Allocation error For New Capacity %d", INT32_MAX);
    std::vector<uint8_t> copy;
    if (Overlaps(stream_, data, length)) {
        copy.assign(static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + length);
        data = copy.data();
    }
    if (stream_.DataSize() != length + 1) stream_.SetSize(length + 1);
    stream_.Seek(0, soFromBeginning);
    if (length > 0) std::memcpy(stream_.Memory(), data, std::size_t(length));
    stream_.Memory()[length] = '\0';
}

void MyString::Assign(const MyString &other) {
    if (&other == this) {
        // Same as for any source: the text up to its first NUL, and a buffer afterwards.
        const int32_t n = Text() ? int32_t(std::strlen(Text())) : 0;
        Assign(Text() ? Text() : "", n);
        return;
    }
    Assign(other.Text());
}

void MyString::AssignWide(const char16_t *text, int32_t length) {
    if (text && length < 0) length = int32_t(std::char_traits<char16_t>::length(text));
    if (!text || length <= 0) {
        Assign("", 0);
        return;
    }
    const std::string bytes = cp1254::FromUtf16(std::u16string_view(text, std::size_t(length)));
    Assign(bytes.data(), int32_t(bytes.size()));
}

void MyString::Append(const void *data, int32_t length) {
    if (!data || length <= 0) {
        if (!HasBuffer()) Assign("", 0);
        return;
    }
    std::vector<uint8_t> copy;
    if (Overlaps(stream_, data, length)) {
        copy.assign(static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + length);
        data = copy.data();
    }
    const int32_t oldLength = Length();
    // Checked before the terminating NUL is dropped, so a failure leaves the text as it was.
    if (int64_t(oldLength) + length >= INT32_MAX)
        RaiseError("SMemoryStream Allocation error For New Capacity %d", INT32_MAX);
    stream_.SetSize(oldLength);  // drops the terminating NUL
    stream_.Seek(0, soFromEnd);
    stream_.Write(data, length);
    const char nul = '\0';
    stream_.Write(&nul, 1);
}

void MyString::Append(const char *text) {
    if (text) Append(text, int32_t(std::strlen(text)));
}

char *MyString::CharAt(int32_t index) {
    const int32_t size = stream_.DataSize();
    if (size == 0 || index < 0 || index >= size) RaiseError("invalid request to string");
    return Text() + index;
}

void MyString::Delete(int32_t index) {
    const int32_t length = Length();
    if (index < 0 || index >= length) return;
    char *text = Text();
    std::memmove(text + index, text + index + 1, std::size_t(length - index));  // NUL included
    stream_.SetSize(length);
}

MyString MyString::SubString(int32_t start, int32_t count) const {
    MyString result;
    if (start < 0) {
        if (int64_t(count) + start <= 0) {  // 64-bit: two negative numbers must not wrap
            result.Assign("", 0);
            return result;
        }
        count += start;
        start = 0;
    }
    const int32_t length = Length();
    if (int64_t(start) + count >= length) count = length - start;
    if (count > 0)
        result.Assign(Text() + start, count);
    else
        result.Assign("", 0);
    return result;
}

void MyString::Trim() {
    auto inSet = [](char c) { return c == '\r' || c == '\n' || c == ' '; };
    const char *text = Text() ? Text() : "";
    int32_t end = Length();
    while (end > 0 && inSet(text[end - 1])) --end;
    int32_t begin = 0;
    while (begin < end && inSet(text[begin])) ++begin;
    while (end > begin && inSet(text[end - 1])) --end;
    Assign(text + begin, end - begin);
}

bool MyString::Equals(const MyString &other) const {
    if (!other.HasBuffer()) return !HasBuffer();
    if (!HasBuffer()) return false;
    if (Length() != other.Length()) return false;
    return SameText(Text(), other.Text(), Length());
}

bool Equals(const char *text, const MyString &str) {
    if (!str.HasBuffer()) return text == nullptr;
    if (!text) return false;
    const auto length = std::strlen(text);
    if (length != std::size_t(str.Length())) return false;
    return SameText(text, str.Text(), int32_t(length));
}

std::string MyString::ToUtf8() const { return cp1254::ToUtf8(View()); }

MyString MyString::FromUtf8(std::string_view utf8) {
    const std::string bytes = cp1254::FromUtf8(utf8);
    MyString result;
    result.Assign(bytes.data(), int32_t(bytes.size()));
    return result;
}

char TurkishUpper(char c) {
    switch (static_cast<unsigned char>(c)) {
    case 0x69: return char(0xDD);  // i -> İ
    case 0xFD: return char(0x49);  // ı -> I
    case 0xE7: return char(0xC7);  // ç -> Ç
    case 0xF0: return char(0xD0);  // ğ -> Ğ
    case 0xF6: return char(0xD6);  // ö -> Ö
    case 0xFC: return char(0xDC);  // ü -> Ü
    case 0xFE: return char(0xDE);  // ş -> Ş
    default: return c;
    }
}

namespace {
// The C library's upper case in the default C locale: only a-z change.
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
}  // namespace

bool SameText(const char *a, const char *b, int32_t n) {
    if (a == b) return true;
    if (!a || !b) return false;
    if (std::strcmp(a, b) == 0) return true;
    for (int32_t i = 0; i < n; ++i) {
        const char x = a[i], y = b[i];
        if (x == y || TurkishUpper(x) == TurkishUpper(y) || AsciiUpper(x) == AsciiUpper(y)) continue;
        return false;
    }
    return true;
}

char *TrimRightChars(char *buffer, const char *set) {
    if (!buffer) return buffer;
    if (!set) set = " \t\n\r";
    std::size_t length = std::strlen(buffer);
    while (length > 0 && std::strchr(set, buffer[length - 1])) buffer[--length] = '\0';
    return buffer;
}

// --- Wide text buffer

void ClearWide(TWideBuffer &buffer) { SetWide(buffer, nullptr, 0); }

void MakeWideBuffer(TWideBuffer &buffer, const char16_t *text) { SetWide(buffer, text, -1); }

void SetWide(TWideBuffer &buffer, const char16_t *text, int32_t length) {
    if (!text) length = 0;
    else if (length < 0) length = int32_t(std::char_traits<char16_t>::length(text));
    std::vector<char16_t> copy(text, text + length);  // the source may lie in the buffer
    copy.push_back(u'\0');
    buffer.Clear();
    buffer.Write(copy.data(), int32_t(copy.size() * sizeof(char16_t)));
    buffer.Seek(0, soFromBeginning);
}

void AnsiToWide(TWideBuffer &buffer, const char *text, int32_t length) {
    if (text && length < 0) length = int32_t(std::strlen(text));
    if (!text || length <= 0) {
        ClearWide(buffer);
        return;
    }
    const std::u16string wide = cp1254::ToUtf16(std::string_view(text, std::size_t(length)));
    SetWide(buffer, wide.data(), int32_t(wide.size()));
}

const char16_t *WideText(const TWideBuffer &buffer) {
    return reinterpret_cast<const char16_t *>(buffer.Memory());
}

int32_t WideLength(const TWideBuffer &buffer) {
    const int32_t n = (buffer.DataSize() - 2) / 2;
    return n > 0 ? n : 0;
}

bool SameWideText(const char16_t *a, int32_t n, const char16_t *b) {
    if (!a || !b || n < 0) return false;
    if (std::char_traits<char16_t>::length(a) != std::size_t(n)) return false;
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; };
    for (int32_t i = 0; i < n; ++i) {
        if (b[i] == u'\0' || lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}
