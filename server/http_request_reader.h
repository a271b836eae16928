// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading one HTTP request before the SOAP runtime sees it, so that the server decides on the
// limits itself: a body above the limit is refused from its announcement without being read,
// a header without end from its size, and the body ends exactly where its Content-Length
// says (the runtime's parser would otherwise wait for more of a truncated envelope).

#include <cstdint>
#include <optional>
#include <string>

struct THttpRequest {
    std::string Bytes;      // header and body, as received
    std::string Method;     // "GET", "POST", ...
    std::string Target;     // the request line's path (and query)
    size_t HeaderSize = 0;  // bytes up to and including the blank line
    uint64_t ContentLength = 0;
    bool HasContentLength = false;
    bool Chunked = false;
    // The header fields the service's policy looks at (request_policy.h), trimmed.
    std::string Host;
    int HostCount = 0;
    std::string Origin;
    bool HasOrigin = false;
    std::string ContentType;
    bool HasSoapAction = false;
};

enum class THttpReadResult {
    Complete,
    Closed,         // the client hung up before the request was complete
    TimedOut,       // idle or request deadline (the caller's)
    TooLarge,       // the announced body exceeds the limit
    HeaderTooLarge, // no end of header within the header limit (431)
    LengthRequired, // a POST without Content-Length (411)
    BadRequest,     // not an HTTP request line / header, or a Content-Length that is not
                    // plain digits or differs between its copies (400)
};

struct THttpLimits {
    size_t MaxHeaderBytes = 64 * 1024;
    uint64_t MaxBodyBytes = 1024 * 1024;
};

// Assembles one request from the bytes as they arrive, in any pieces; never blocks, so one
// thread can read many connections at once (the deadlines are its caller's).
class THttpRequestReader {
public:
    explicit THttpRequestReader(const THttpLimits &limits) : limits_(limits) {}

    // Adds received bytes; the result once the request is complete or refused, nothing while
    // more is wanted. Never keeps bytes past the request's end.
    std::optional<THttpReadResult> Add(const char *data, size_t size);
    // At most how many more bytes belong to the request (a read never takes more).
    size_t Wanted() const;
    THttpRequest &Request() { return request_; }
    const THttpRequest &Request() const { return request_; }

private:
    THttpLimits limits_;
    THttpRequest request_;
    size_t wanted_ = 0;  // total bytes of the request, once the header is known
};

// A complete HTTP/1.1 response that closes the connection; `extraHeader` holds whole header
// lines ("Allow: GET, POST\r\n").
std::string HttpResponse(int status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeader = "");
// The status line and header of such a response whose body of `length` bytes follows.
std::string HttpResponseHead(int status, const std::string &contentType, uint64_t length,
                             const std::string &extraHeader = "");
