#pragma once
// Reading one HTTP request off an accepted socket before the SOAP runtime sees it, so that
// the server decides on the limits itself: an idle connection ends after the idle timeout,
// a request that trickles ends at the transfer deadline, a body above the limit is refused
// from its announcement without being read, and the body ends exactly where its
// Content-Length says (the runtime's parser would otherwise wait for more of a truncated
// envelope until the timeout).

#include <cstdint>
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
    TimedOut,       // idle or transfer deadline
    TooLarge,       // the announced body exceeds the limit
    HeaderTooLarge, // no end of header within the header limit (431)
    LengthRequired, // a POST without Content-Length (411)
    BadRequest,     // not an HTTP request line / header, or a Content-Length that is not
                    // plain digits or differs between its copies (400)
};

struct THttpLimits {
    int IdleSeconds = 30;
    int TransferSeconds = 120;
    size_t MaxHeaderBytes = 64 * 1024;
    uint64_t MaxBodyBytes = 1024 * 1024;
};

THttpReadResult ReadHttpRequest(int socket, const THttpLimits &limits, THttpRequest &request);

// Sends `bytes` with the idle timeout per wait; false when the client is gone or too slow.
bool SendAll(int socket, const std::string &bytes, int idleSeconds);

// A complete HTTP/1.1 response that closes the connection; `extraHeader` holds whole header
// lines ("Allow: GET, POST\r\n").
std::string HttpResponse(int status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeader = "");
