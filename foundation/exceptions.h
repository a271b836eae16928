#pragma once
// The program's exception family. Every failure leaves through one of these, carrying an
// 8-bit (Windows-1254) message; handlers catch TCustomException by reference and read
// Message() only.

#include <cstdint>
#include <string>

#include "foundation/my_string.h"

// Longest message RaiseError produces, in characters.
inline constexpr int MaxMessageLength = 32767;

class TCustomException {
public:
    virtual ~TCustomException() = default;

    // The message text; never null, owned by the exception.
    virtual const char *Message() const = 0;

    // Shows the message in an OK message box (ShowMessageBox(Message(), MB_OK)).
    void Show() const;
};

// A failure without an operating-system error code. Owns a private copy of its text.
class TException : public TCustomException {
public:
    explicit TException(const char *text);
    TException(const char *data, std::size_t length);

    const char *Message() const override { return text_.c_str(); }
    std::size_t MessageLength() const { return text_.size(); }

private:
    std::string text_;
};

// A failure with the operating system's error code (errno here).
class TOSException : public TCustomException {
public:
    TOSException(int32_t code, const char *text);

    const char *Message() const override;
    int32_t ErrorCode() const { return errorCode_; }

private:
    int32_t errorCode_;
    MyString text_;
};

// Raised only by the HTTP download code; told apart from TOSException by its type alone.
class TWinInetException : public TOSException {
public:
    using TOSException::TOSException;
};

// Throws TException with `text` taken literally (a '%' is not interpreted), cut to
// MaxMessageLength characters.
[[noreturn]] void RaiseError(const char *text);

// Throws TException with the printf-style formatted text, cut to MaxMessageLength. A format
// longer than MaxMessageLength is not formatted: its first MaxMessageLength characters are
// the message.
[[noreturn]] void RaiseErrorFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));

// RaiseError with arguments formats; without arguments the text is taken literally.
template <typename Arg, typename... Args>
[[noreturn]] inline void RaiseError(const char *format, Arg arg, Args... args) {
    RaiseErrorFormat(format, arg, args...);
}

// Readable text of an error code: strerror's text followed by " (%d)"; only the suffix when
// the system has no text for the code. With useGivenCode false the calling thread's errno,
// read on entry, replaces `code`.
MyString SystemErrorText(bool useGivenCode, int32_t code);

// Throws TOSException(code, "Error On <where>. <SystemErrorText>"), or with the system text
// alone when `where` is null.
[[noreturn]] void RaiseOSError(const char *where, int32_t code);
