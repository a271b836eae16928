// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/message_box.h"

const char *CategoryName(TErrorCategory category) {
    switch (category) {
    case TErrorCategory::Internal: return "internal";
    case TErrorCategory::Format: return "format";
    case TErrorCategory::InputOutput: return "input/output";
    case TErrorCategory::Service: return "service";
    case TErrorCategory::NoDevice: return "no device";
    case TErrorCategory::Refused: return "refused";
    }
    return "internal";
}

void TCustomException::Show() const { ShowMessageBox(Message(), MB_OK); }

TException::TException(const char *text, TErrorCategory category)
    : TCustomException(category), text_(text ? text : "") {}

TException::TException(const char *data, std::size_t length, TErrorCategory category)
    : TCustomException(category), text_(data ? data : "", data ? length : 0) {}

TOSException::TOSException(int32_t code, const char *text, TErrorCategory category)
    : TCustomException(category), errorCode_(code), text_(text ? text : "") {}

void RaiseError(TErrorCategory category, const char *text) {
    if (!text) throw TException("", category);
    throw TException(text, strnlen(text, MaxMessageLength), category);
}

void RaiseErrorFormat(TErrorCategory category, const char *format, ...) {
    if (!format) throw TException("", category);
    const std::size_t formatLength = strnlen(format, MaxMessageLength + 1);
    if (formatLength > std::size_t(MaxMessageLength))
        throw TException(format, MaxMessageLength, category);

    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {  // an unformattable request still fails, with its format as the text
        va_end(args);
        throw TException(format, formatLength, category);
    }
    std::vector<char> buffer(std::size_t(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    throw TException(buffer.data(), std::min<std::size_t>(std::size_t(needed), MaxMessageLength),
                     category);
}

std::string SystemErrorString(int32_t code) {
    // strerrordesc_np answers null for a code without a text, where strerror would make
    // one up ("Unknown error 1234"); such a code gets the suffix alone.
    const char *description = strerrordesc_np(code);
    std::string text = description ? description : "";
    if (text.size() > 2 && text.back() == '\n') text.pop_back();
    return text + " (" + std::to_string(code) + ")";
}

void RaiseOSError(const char *where, int32_t code) {
    const std::string system = SystemErrorString(code);
    if (where) {
        const std::string text = std::string("Error On ") + where + ". " + system;
        throw TOSException(code, text.c_str());
    }
    throw TOSException(code, system.c_str());
}
