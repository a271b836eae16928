#include "foundation/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/message_box.h"

void TCustomException::Show() const { ShowMessageBox(Message(), MB_OK); }

TException::TException(const char *text) : text_(text ? text : "") {}

TException::TException(const char *data, std::size_t length) : text_(data ? data : "", data ? length : 0) {}

TOSException::TOSException(int32_t code, const char *text) : errorCode_(code), text_(text) {}

const char *TOSException::Message() const { return text_.Text(); }

void RaiseError(const char *text) {
    if (!text) throw TException("");
    throw TException(text, strnlen(text, MaxMessageLength));
}

void RaiseErrorFormat(const char *format, ...) {
    if (!format) throw TException("");
    const std::size_t formatLength = strnlen(format, MaxMessageLength + 1);
    if (formatLength > std::size_t(MaxMessageLength)) throw TException(format, MaxMessageLength);

    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {  // an unformattable request still fails, with its format as the text
        va_end(args);
        throw TException(format, formatLength);
    }
    std::vector<char> buffer(std::size_t(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    throw TException(buffer.data(), std::min<std::size_t>(std::size_t(needed), MaxMessageLength));
}

MyString SystemErrorText(bool useGivenCode, int32_t code) {
    if (!useGivenCode) code = errno;
    MyString text;
    // strerrordesc_np answers null for a code without a text, where strerror would make
    // one up ("Unknown error 1234"); such a code gets the suffix alone.
    const char *description = strerrordesc_np(code);
    text.Assign(description ? description : "");
    if (text.Length() > 2 && text.Text()[text.Length() - 1] == '\n') text.Delete(text.Length() - 1);
    MyString suffix = MyString::MakeStr(" (%d)", int(code));
    text.Append(suffix.Text(), suffix.Length());
    return text;
}

void RaiseOSError(const char *where, int32_t code) {
    MyString system = SystemErrorText(true, code);
    if (where) {
        MyString text = MyString::MakeStr("Error On %s. %s", where, system.Text());
        throw TOSException(code, text.Text());
    }
    throw TOSException(code, system.Text());
}
