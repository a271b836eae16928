// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// THTTPGet: a small HTTP GET client over libcurl, for the two downloads the program makes
// (the server list and the installer). The body is handed out as the caller reads it, at
// most 4,096 bytes per Read, never buffered whole: the transfer runs on the caller's thread
// through a multi handle, and the write callback pauses it whenever the caller has not yet
// taken the previous block, so at most one block of libcurl's (16 KB) waits in memory.
//
// Contracts:
// - Open connects, sends the request, follows redirects (at most 10, http and https only)
//   and waits for the final answer's header. Its failures raise TWinInetException
//   "InternetOpen Failed. %s" (no transfer could be set up) or "InternetOpenUrl Failed. %s"
//   (no answer, too many redirects, or a final status of 400 or above, shown as
//   "HTTP 404 Not Found"); %s is libcurl's own error text. Both handles are closed again.
// - Read raises "InternetReadFile Failed. %s" when the body breaks off; what was read
//   before stays with the caller.
// - A connect that takes longer than 15 s, or a transfer during which no byte arrives for
//   60 s, fails (SetHTTPGetTimeouts lets tests shorten both).
// - One thread at a time; nothing is shared between getters.

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/event_handlers.h"
#include "foundation/my_string.h"

class TStream;
class THTTPGet;

// The most a Read hands out at once, and the size of GetToStream's buffer.
inline constexpr int32_t HTTPReadSize = 4096;
// The agent name sent with every request.
inline constexpr const char16_t *HTTPUserAgent = u"Valtrosa HTTP Accent";

class TEventHandler_HTTPGet {
public:
    virtual ~TEventHandler_HTTPGet() = default;
    // After each block GetToStream wrote: `total` is the byte count written so far.
    virtual void OnProgress(THTTPGet * /*sender*/, int32_t /*total*/) {}
};

class TEventHandlers_HTTPGet : public TEventHandlers<TEventHandler_HTTPGet> {
public:
    virtual int32_t OnProgress(THTTPGet *sender, int32_t total) {
        return Notify(&TEventHandler_HTTPGet::OnProgress, sender, total);
    }
};

class THTTPGet {
public:
    THTTPGet();
    ~THTTPGet();
    THTTPGet(const THTTPGet &) = delete;
    THTTPGet &operator=(const THTTPGet &) = delete;

    // Keeps an open transfer when `url` equals the stored one ignoring letter case;
    // otherwise closes it and stores the new address. Null counts as "".
    void SetUrl(const char16_t *url);
    // Closes whatever is open and starts the transfer of the stored address (see the
    // contracts above). Read opens on its own when needed.
    void Open();
    // Up to min(size, HTTPReadSize) bytes of the body into `buffer`; 0 at the end of the
    // body (and on every call after it).
    int32_t Read(void *buffer, int32_t size = HTTPReadSize);
    // Fetches `url` afresh (closing an open transfer even for the same address) and appends
    // its body to `stream` at its position, notifying the listeners after each block.
    void GetToStream(TStream &stream, const char16_t *url);

    // A Unix socket the transfer connects to instead of the address's host (the user's own
    // service, see local_service.h); empty: the host. Takes effect at the next Open.
    std::string UnixSocket;
    // The most bytes GetToStream takes of one body; 0: no bound. Past it the download fails
    // with "InternetReadFile Failed. The file is larger than N bytes".
    int64_t MaxBytes = 0;

    bool Opened() const { return opened_; }
    const char16_t *Url() const { return WideText(url_); }
    TEventHandlers_HTTPGet &EventHandlers() { return eventHandlers_; }

    struct TTransfer;  // libcurl's handles and the state its callbacks keep

private:
    void Close() noexcept;

    bool opened_ = false;
    TWideBuffer url_{WideBufferGranularity};
    std::unique_ptr<TTransfer> transfer_;  // null while closed: the "session" and "URL" handles
    TWideBuffer userAgent_{WideBufferGranularity};
    uint32_t openFlags_ = 0;  // kept for callers that set request flags; none are defined
    TEventHandlers_HTTPGet eventHandlers_;
};

// Fetches `url` (8-bit Windows-1254) into `stream` with a getter of its own.
void HTTPGetToStream(TStream &stream, const char *url);
// The same for a UTF-16 address; the getter is destroyed also when the download raises.
void HTTPGetToStream(TStream &stream, const char16_t *url);
// The same over `unixSocket` when it is not empty, taking at most `maxBytes` (0: no bound).
void HTTPGetToStream(TStream &stream, const char *url, const std::string &unixSocket, int64_t maxBytes);

// The two limits that keep a silent server from blocking the caller forever.
struct THTTPGetTimeouts {
    int32_t ConnectMilliseconds = 15000;  // connection set up (name lookup included)
    int32_t StallSeconds = 60;            // no byte at all for this long ends the transfer
};
// Sets the limits getters opened from now on use, and returns the previous ones. For tests;
// the program keeps the defaults.
THTTPGetTimeouts SetHTTPGetTimeouts(const THTTPGetTimeouts &timeouts);
