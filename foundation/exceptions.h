// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's exception family, the one root every failure leaves through. Each carries an
// 8-bit (Windows-1254) message, also its what(), and a category saying what kind of failure
// it is. Handlers that decide something (an exit status, the kind of fault a service answers,
// a hint to the user) branch on Category(), never on the message text: the texts are the
// user's to read and may change, the categories are the contract.
//
// This header stands on the standard library alone, so that every other foundation file
// (strings, streams, lists) may raise through it.

#include <cstdint>
#include <exception>
#include <string>

// Longest message RaiseError produces, in characters.
inline constexpr int MaxMessageLength = 32767;

enum class TErrorCategory {
    Internal,     // a broken contract inside the program: a bad index, a missing part
    Format,       // data that does not read as what it claims to be (records, audio, XML)
    InputOutput,  // a file, the settings store or the operating system failed
    Service,      // the speech service or the network did not give what was asked
    NoDevice,     // there is no sound device to play on
    Refused,      // a request refused as asked: too long, not offered, declined by the user
};

// The category's name in English ("internal", "format", "input/output", "service",
// "no device", "refused"), for logs and tests.
const char *CategoryName(TErrorCategory category);

class TCustomException : public std::exception {
public:
    explicit TCustomException(TErrorCategory category = TErrorCategory::Internal)
        : category_(category) {}

    // The message text; never null, owned by the exception.
    virtual const char *Message() const = 0;
    const char *what() const noexcept override { return Message(); }
    TErrorCategory Category() const { return category_; }

    // Shows the message in an OK message box (ShowMessageBox(Message(), MB_OK)).
    void Show() const;

private:
    TErrorCategory category_;
};

// A failure without an operating-system error code. Owns a private copy of its text.
class TException : public TCustomException {
public:
    explicit TException(const char *text, TErrorCategory category = TErrorCategory::Internal);
    TException(const char *data, std::size_t length,
               TErrorCategory category = TErrorCategory::Internal);
    TException(const std::string &text, TErrorCategory category)
        : TException(text.data(), text.size(), category) {}

    const char *Message() const override { return text_.c_str(); }
    std::size_t MessageLength() const { return text_.size(); }

private:
    std::string text_;
};

// A failure with the operating system's error code (errno here); input/output unless told.
class TOSException : public TCustomException {
public:
    TOSException(int32_t code, const char *text,
                 TErrorCategory category = TErrorCategory::InputOutput);

    const char *Message() const override { return text_.c_str(); }
    int32_t ErrorCode() const { return errorCode_; }

private:
    int32_t errorCode_;
    std::string text_;
};

// Raised only by the HTTP download code, in the service category; told apart from
// TOSException by its type alone.
class TWinInetException : public TOSException {
public:
    TWinInetException(int32_t code, const char *text)
        : TOSException(code, text, TErrorCategory::Service) {}
};

// Throws TException with `text` taken literally (a '%' is not interpreted), cut to
// MaxMessageLength characters. Without a category it is Internal.
[[noreturn]] void RaiseError(TErrorCategory category, const char *text);
[[noreturn]] inline void RaiseError(const char *text) { RaiseError(TErrorCategory::Internal, text); }

// Throws TException with the printf-style formatted text, cut to MaxMessageLength. A format
// longer than MaxMessageLength is not formatted: its first MaxMessageLength characters are
// the message.
[[noreturn]] void RaiseErrorFormat(TErrorCategory category, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// RaiseError with arguments formats; without arguments the text is taken literally.
template <typename Arg, typename... Args>
[[noreturn]] inline void RaiseError(TErrorCategory category, const char *format, Arg arg,
                                    Args... args) {
    RaiseErrorFormat(category, format, arg, args...);
}
template <typename Arg, typename... Args>
[[noreturn]] inline void RaiseError(const char *format, Arg arg, Args... args) {
    RaiseErrorFormat(TErrorCategory::Internal, format, arg, args...);
}

// Throws TOSException(code, "Error On <where>. <system text> (<code>)"), or with the system
// text alone when `where` is null (SystemErrorText in system_error_text.h gives that text).
[[noreturn]] void RaiseOSError(const char *where, int32_t code);

// strerror's text of `code` without a trailing line feed, then " (<code>)"; only the suffix
// when the system has no text for the code.
std::string SystemErrorString(int32_t code);
