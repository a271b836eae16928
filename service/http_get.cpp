// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/http_get.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/stream.h"
#include "platform/settings_store_text.h"
#include "service/curl_library.h"

namespace {

std::atomic<int32_t> connectMilliseconds{THTTPGetTimeouts{}.ConnectMilliseconds};
std::atomic<int32_t> stallSeconds{THTTPGetTimeouts{}.StallSeconds};

constexpr long MaxRedirects = 10;

// "<call> Failed. <text>", the form every download failure takes.
[[noreturn]] void RaiseWinInet(const char *call, int32_t code, const char *text) {
    const MyString message = MyString::MakeStr("%s Failed. %s", call, text);
    throw TWinInetException(code, message.Text());
}

// libcurl, loaded by the first download (curl_library.h); a getter only runs once it is.
const TCurlLibrary &Curl() {
    const char *why = nullptr;
    const TCurlLibrary *library = LoadCurlLibrary(&why);
    if (!library) RaiseWinInet("InternetOpen", CURLE_FAILED_INIT, why);
    return *library;
}

struct CurlEasyDeleter {
    void operator()(CURL *easy) const noexcept { Curl().easy_cleanup(easy); }
};
struct CurlMultiDeleter {
    void operator()(CURLM *multi) const noexcept { Curl().multi_cleanup(multi); }
};

// libcurl's process-wide set-up, once; its result is kept for every later getter.
CURLcode GlobalInit() {
    static CURLcode result = Curl().global_init(CURL_GLOBAL_DEFAULT);
    return result;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(text[i]) != lower(prefix[i])) return false;
    }
    return true;
}

std::string_view TrimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.remove_suffix(1);
    return line;
}

}  // namespace

struct THTTPGet::TTransfer {
    std::unique_ptr<CURLM, CurlMultiDeleter> session;
    std::unique_ptr<CURL, CurlEasyDeleter> request;
    bool added = false;  // request is attached to session

    // Body bytes libcurl delivered and the caller has not read yet (one callback's worth).
    std::vector<uint8_t> pending;
    size_t pendingRead = 0;
    bool paused = false;  // the write callback refused a block, libcurl holds it

    // Header block being received: its status line and whether it redirects.
    long status = 0;
    std::string reason;
    bool hasLocation = false;
    bool headerDone = false;  // the final answer's header is complete

    bool finished = false;
    CURLcode result = CURLE_OK;
    char errorText[CURL_ERROR_SIZE] = {};

    bool HasPending() const { return pendingRead < pending.size(); }

    // libcurl's text for a failure: the detailed one it wrote, else the code's own.
    const char *ErrorText(CURLcode code) const {
        return errorText[0] ? errorText : Curl().easy_strerror(code);
    }

    static size_t OnBody(char *data, size_t size, size_t count, void *user) {
        auto *self = static_cast<TTransfer *>(user);
        const size_t n = size * count;
        if (self->HasPending()) {
            self->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        self->pending.assign(data, data + n);
        self->pendingRead = 0;
        self->headerDone = true;
        return n;
    }

    static size_t OnHeader(char *data, size_t size, size_t count, void *user) {
        auto *self = static_cast<TTransfer *>(user);
        const size_t n = size * count;
        const std::string_view line(data, n);
        if (StartsWithNoCase(line, "HTTP/")) {
            // "HTTP/1.1 404 Not Found": the code, then the reason phrase (absent in HTTP/2).
            const std::string_view rest = TrimLineEnd(line);
            const size_t codeStart = rest.find(' ');
            self->status = 0;
            self->reason.clear();
            self->hasLocation = false;
            if (codeStart != std::string_view::npos) {
                std::string_view tail = rest.substr(codeStart + 1);
                size_t i = 0;
                while (i < tail.size() && tail[i] >= '0' && tail[i] <= '9')
                    self->status = self->status * 10 + (tail[i++] - '0');
                while (i < tail.size() && tail[i] == ' ') ++i;
                self->reason = std::string(tail.substr(i));
            }
        } else if (StartsWithNoCase(line, "location:")) {
            self->hasLocation = true;
        } else if (TrimLineEnd(line).empty()) {
            // End of a header block. Interim answers (1xx) and redirects libcurl follows
            // are not the final answer.
            const bool interim = self->status >= 100 && self->status < 200;
            const bool redirect = self->status >= 300 && self->status < 400 && self->hasLocation;
            if (!interim && !redirect) self->headerDone = true;
        }
        return n;
    }

    // Runs the transfer until `ready()` holds or it ends. libcurl's own limits (connect
    // time, stall time) bound every wait.
    template <class Ready>
    void Drive(Ready ready) {
        while (!finished && !ready()) {
            if (paused && !HasPending()) {
                paused = false;
                Curl().easy_pause(request.get(), CURLPAUSE_CONT);  // may deliver the held block
                continue;
            }
            int running = 0;
            const CURLMcode multiResult = Curl().multi_perform(session.get(), &running);
            if (multiResult != CURLM_OK) {
                Finish(CURLE_RECV_ERROR, Curl().multi_strerror(multiResult));
                break;
            }
            int queued = 0;
            while (CURLMsg *message = Curl().multi_info_read(session.get(), &queued))
                if (message->msg == CURLMSG_DONE) Finish(message->data.result, nullptr);
            if (finished || ready()) break;
            Curl().multi_poll(session.get(), nullptr, 0, 1000, nullptr);
        }
    }

    void Finish(CURLcode code, const char *text) {
        finished = true;
        result = code;
        if (text && !errorText[0]) std::snprintf(errorText, sizeof errorText, "%s", text);
    }

    ~TTransfer() {
        if (added) Curl().multi_remove_handle(session.get(), request.get());
    }
};

THTTPGet::THTTPGet() {
    MakeWideBuffer(url_, u"");
    MakeWideBuffer(userAgent_, HTTPUserAgent);
}

THTTPGet::~THTTPGet() { Close(); }

void THTTPGet::Close() noexcept {
    transfer_.reset();
    opened_ = false;
}

void THTTPGet::SetUrl(const char16_t *url) {
    if (!url) url = u"";
    const int32_t length = int32_t(std::char_traits<char16_t>::length(url));
    if (length == WideLength(url_) && SameWideText(WideText(url_), length, url)) return;
    if (opened_) Close();
    SetWide(url_, url, length);
}

void THTTPGet::Open() {
    Close();
    auto transfer = std::make_unique<TTransfer>();

    const CURLcode init = GlobalInit();
    if (init != CURLE_OK) RaiseWinInet("InternetOpen", init, Curl().easy_strerror(init));
    transfer->session.reset(Curl().multi_init());
    transfer->request.reset(Curl().easy_init());
    if (!transfer->session || !transfer->request)
        RaiseWinInet("InternetOpen", CURLE_OUT_OF_MEMORY,
                     Curl().easy_strerror(CURLE_OUT_OF_MEMORY));

    CURL *request = transfer->request.get();
    const std::string url = settings_text::ToUtf8({WideText(url_), size_t(WideLength(url_))});
    const std::string agent =
        settings_text::ToUtf8({WideText(userAgent_), size_t(WideLength(userAgent_))});
    CURLcode set = CURLE_OK;
    const auto option = [&](CURLoption name, auto value) {
        if (set == CURLE_OK) set = Curl().easy_setopt(request, name, value);
    };
    option(CURLOPT_ERRORBUFFER, transfer->errorText);
    option(CURLOPT_URL, url.c_str());
    option(CURLOPT_USERAGENT, agent.c_str());
    option(CURLOPT_PROTOCOLS_STR, "http,https");
    option(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    option(CURLOPT_FOLLOWLOCATION, 1L);
    option(CURLOPT_MAXREDIRS, MaxRedirects);
    option(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    option(CURLOPT_CONNECTTIMEOUT_MS, long(connectMilliseconds.load()));
    option(CURLOPT_LOW_SPEED_LIMIT, 1L);
    option(CURLOPT_LOW_SPEED_TIME, long(stallSeconds.load()));
    option(CURLOPT_NOSIGNAL, 1L);
    option(CURLOPT_WRITEFUNCTION, &TTransfer::OnBody);
    option(CURLOPT_WRITEDATA, transfer.get());
    option(CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
    option(CURLOPT_HEADERDATA, transfer.get());
    if (!UnixSocket.empty()) option(CURLOPT_UNIX_SOCKET_PATH, UnixSocket.c_str());
    if (set != CURLE_OK) RaiseWinInet("InternetOpenUrl", set, transfer->ErrorText(set));
    if (Curl().multi_add_handle(transfer->session.get(), request) != CURLM_OK)
        RaiseWinInet("InternetOpen", CURLE_OUT_OF_MEMORY,
                     Curl().easy_strerror(CURLE_OUT_OF_MEMORY));
    transfer->added = true;

    TTransfer &t = *transfer;
    t.Drive([&] { return t.headerDone; });
    if (!t.headerDone) {
        const CURLcode code = t.finished ? t.result : CURLE_RECV_ERROR;
        if (code != CURLE_OK)
            RaiseWinInet("InternetOpenUrl", code, t.ErrorText(code));
    }
    if (t.status >= 400) {
        // An error page is not the document asked for: the caller must not take it for the
        // server list or the installer.
        const MyString status = t.reason.empty()
                                    ? MyString::MakeStr("HTTP %ld", t.status)
                                    : MyString::MakeStr("HTTP %ld %s", t.status, t.reason.c_str());
        RaiseWinInet("InternetOpenUrl", int32_t(t.status), status.Text());
    }
    transfer_ = std::move(transfer);
    opened_ = true;
}

int32_t THTTPGet::Read(void *buffer, int32_t size) {
    if (!opened_) Open();
    TTransfer &t = *transfer_;
    t.Drive([&] { return t.HasPending(); });
    if (!t.HasPending()) {
        if (t.finished && t.result != CURLE_OK)
            RaiseWinInet("InternetReadFile", t.result, t.ErrorText(t.result));
        return 0;
    }
    const size_t count =
        std::min({t.pending.size() - t.pendingRead, size_t(std::max(size, 0)), size_t(HTTPReadSize)});
    std::memcpy(buffer, t.pending.data() + t.pendingRead, count);
    t.pendingRead += count;
    return int32_t(count);
}

void THTTPGet::GetToStream(TStream &stream, const char16_t *url) {
    if (opened_) Close();
    openFlags_ = 0;
    SetUrl(url);
    if (!opened_) Open();
    uint8_t buffer[HTTPReadSize];
    int32_t total = 0;
    int64_t taken = 0;
    for (int32_t count; (count = Read(buffer, HTTPReadSize)) > 0;) {
        taken += count;
        if (MaxBytes > 0 && taken > MaxBytes) {
            Close();
            const MyString why = MyString::MakeStr("The file is larger than %lld bytes", (long long)MaxBytes);
            RaiseWinInet("InternetReadFile", CURLE_FILESIZE_EXCEEDED, why.Text());
        }
        stream.Write(buffer, count);
        total += count;
        eventHandlers_.OnProgress(this, total);
    }
}

void HTTPGetToStream(TStream &stream, const char16_t *url) {
    THTTPGet getter;
    getter.GetToStream(stream, url);
}

void HTTPGetToStream(TStream &stream, const char *url) {
    TWideBuffer wide(WideBufferGranularity);
    AnsiToWide(wide, url);
    HTTPGetToStream(stream, WideText(wide));
}

void HTTPGetToStream(TStream &stream, const char *url, const std::string &unixSocket, int64_t maxBytes) {
    TWideBuffer wide(WideBufferGranularity);
    AnsiToWide(wide, url);
    THTTPGet getter;
    getter.UnixSocket = unixSocket;
    getter.MaxBytes = maxBytes;
    getter.GetToStream(stream, WideText(wide));
}

THTTPGetTimeouts SetHTTPGetTimeouts(const THTTPGetTimeouts &timeouts) {
    THTTPGetTimeouts previous;
    previous.ConnectMilliseconds = connectMilliseconds.exchange(timeouts.ConnectMilliseconds);
    previous.StallSeconds = stallSeconds.exchange(timeouts.StallSeconds);
    return previous;
}
