// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/demo_client_base.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "foundation/registry.h"
#include "foundation/registry_settings.h"
#include "records/demo_audios.h"
#include "protocol/encrypted_raw_data_static.h"
#include "foundation/settings_keys.h"
#include "records/narrelo_cumles.h"
#include "service/local_service.h"
#include "protocol/xml_text.h"

namespace {

constexpr const char16_t *ClientIDKey = settings_keys::Account;
constexpr const char16_t *ClientIDValue = settings_keys::ClientID;
constexpr int32_t ResultGranularity = 8192;

// Whether a URL names this machine's loopback (localhost, 127.0.0.1, [::1]).
bool IsLocalAddress(const char *url) {
    std::string_view rest(url);
    const size_t scheme = rest.find("://");
    if (scheme != std::string_view::npos) rest.remove_prefix(scheme + 3);
    for (std::string_view host : {"localhost", "127.0.0.1", "[::1]"})
        if (rest.substr(0, host.size()) == host &&
            (rest.size() == host.size() || rest[host.size()] == ':' || rest[host.size()] == '/'))
            return true;
    return false;
}
// The runtime writes the request line into a buffer of SOAP_TMPLEN bytes; an address near
// that long fails there, as "out of memory".
constexpr size_t EndpointLengthLimit = SOAP_TMPLEN - 32;

// A request parameter: the 8-bit text as element content, writable as the proxy wants it.
class TXmlArgument {
public:
    explicit TXmlArgument(const char *text) : xml_(EscapeXmlText(text)) {}
    explicit TXmlArgument(const MyString &text) : xml_(EscapeXmlText(text.View())) {}
    char *Get() { return xml_.data(); }

private:
    std::string xml_;
};

// The service's SOAP address as a client of the user's socket names it.
constexpr const char *UnixSocketEndpoint = "http://localhost/Project2.DemoServer/soap/IDemoServer";

}  // namespace

// Releases what the runtime allocated for one call (its answer, its fault record) when the
// call's scope ends, whether it returns or raises; results are copied out before that. For
// the call's length a "unix:" endpoint is replaced by the service's address over the socket.
class TDemoClientBase::TCallScope {
public:
    explicit TCallScope(TDemoClientBase &client) : client_(client), owners_(client.soap_endpoint) {
        client_.unixSocket_ = UnixSocketOf(owners_);
        if (!client_.unixSocket_.empty()) client_.soap_endpoint = UnixSocketEndpoint;
    }
    ~TCallScope() {
        client_.destroy();
        client_.soap_endpoint = owners_;
        client_.unixSocket_.clear();
    }
    TCallScope(const TCallScope &) = delete;
    TCallScope &operator=(const TCallScope &) = delete;

private:
    TDemoClientBase &client_;
    const char *owners_;
};

TDemoClientBase::TDemoClientBase() : IDemoServerbindingProxy(0, 0) {
    recv_timeout = SendReceiveTimeoutSeconds;
    send_timeout = SendReceiveTimeoutSeconds;
    transfer_timeout = TransferTimeoutSeconds;
    connect_timeout = ConnectTimeoutSeconds;
    recv_maxlength = MaxAnswerBytes;
    // Answer children are matched by their local name: a prefix on them (the operation's or
    // one of their own) is ignored, as the service's interface allows.
    soap_set_imode(this, SOAP_XML_IGNORENS);
    soap_endpoint = nullptr;
    header = nullptr;
    runtimeParseHeader_ = fparsehdr;
    fparsehdr = &TDemoClientBase::ParseHeaderLine;
    runtimeOpen_ = fopen;
    fopen = &TDemoClientBase::OpenConnection;
    runtimeReceive_ = frecv;
    frecv = &TDemoClientBase::Receive;
}

// The runtime calls these hooks on this object (the proxy is the SOAP context), from the
// thread making the call. The runtime is C: they are noexcept, and nothing in them throws.
int TDemoClientBase::ParseHeaderLine(struct soap *context, const char *key, const char *value) noexcept {
    auto *self = static_cast<TDemoClientBase *>(context);
    if (++self->headerLines_ > self->HeaderLineLimit) {
        self->stop_ = TStop::HeaderLines;
        return SOAP_HDR;
    }
    return self->runtimeParseHeader_(context, key, value);
}

SOAP_SOCKET TDemoClientBase::OpenConnection(struct soap *context, const char *endpoint,
                                            const char *host, int port) noexcept {
    auto *self = static_cast<TDemoClientBase *>(context);
    self->headerLines_ = 0;
    self->stop_ = TStop::None;
    self->callStart_ = std::chrono::steady_clock::now();
    if (!self->unixSocket_.empty()) return self->ConnectUnix();
    // Through a proxy or over TLS the runtime has more to do than connect: its own step then.
    const bool plain = endpoint != nullptr && std::strncmp(endpoint, "https:", 6) != 0 && self->proxy_host == nullptr;
    if (self->Cancel != nullptr && plain) return self->ConnectCancellably(host, port);
    return self->runtimeOpen_(context, endpoint, host, port);
}

SOAP_SOCKET TDemoClientBase::ConnectCancellably(const char *host, int port) noexcept {
    using namespace std::chrono;
    constexpr const char *Where = "connect failed in tcp_connect()";
    char service[16];
    std::snprintf(service, sizeof service, "%d", port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (const int failed = getaddrinfo(host, service, &hints, &found); failed != 0) {
        soap_set_sender_error(this, gai_strerror(failed), "getaddrinfo failed in tcp_connect()", SOAP_TCP_ERROR);
        return SOAP_INVALID_SOCKET;
    }
    // connect_timeout: seconds when positive, microseconds when negative, none when 0.
    const bool bounded = connect_timeout != 0;
    const auto deadline = steady_clock::now() + (connect_timeout > 0 ? microseconds(int64_t(connect_timeout) * 1000000)
                                                                     : microseconds(-int64_t(connect_timeout)));
    enum class TOutcome { Connected, Failed, TimedOut, Cancelled } outcome = TOutcome::Failed;
    int fd = -1, failure = 0;
    // Each address in turn while the connection is refused at once, as the runtime does.
    for (addrinfo *address = found; address != nullptr && outcome == TOutcome::Failed; address = address->ai_next) {
        fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address->ai_protocol);
        if (fd < 0) {
            failure = errno;
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (keep_alive) setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        if (sndbuf > 0) setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
        if (rcvbuf > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
        outcome = TOutcome::Connected;
        if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
            failure = errno;
            outcome = failure == EINPROGRESS ? TOutcome::TimedOut : TOutcome::Failed;
        }
        while (outcome == TOutcome::TimedOut) {
            if (Cancel->load()) {
                outcome = TOutcome::Cancelled;
                break;
            }
            milliseconds slice(CancelPollMs);
            if (bounded) {
                const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
                if (left <= milliseconds(0)) break;
                slice = std::min(slice, left + milliseconds(1));
            }
            pollfd watched{fd, POLLOUT, 0};
            const int ready = poll(&watched, 1, int(slice.count()));
            if (ready < 0 && errno != EINTR) {
                failure = errno;
                outcome = TOutcome::Failed;
            } else if (ready > 0) {
                socklen_t size = sizeof failure;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) != 0) failure = errno;
                outcome = failure == 0 ? TOutcome::Connected : TOutcome::Failed;
            }
        }
        if (outcome != TOutcome::Connected) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    switch (outcome) {
    case TOutcome::Connected:
        // Blocking again, as the runtime leaves a connection it waited for.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    case TOutcome::Cancelled:
        stop_ = TStop::Cancelled;
        soap_set_sender_error(this, "The call was cancelled", Where, SOAP_TCP_ERROR);
        break;
    case TOutcome::TimedOut:
        errnum = 0;
        soap_set_sender_error(this, "Timeout", Where, SOAP_TCP_ERROR);
        break;
    case TOutcome::Failed:
        errnum = failure;
        errmode = 0;
        soap_set_sender_error(this, soap_strdup(this, std::strerror(failure)), Where, SOAP_TCP_ERROR);
        break;
    }
    return SOAP_INVALID_SOCKET;
}

SOAP_SOCKET TDemoClientBase::ConnectUnix() noexcept {
    // A local socket connects or fails at once (a full backlog says EAGAIN): no wait to cancel.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    int failure = ENAMETOOLONG;
    if (unixSocket_.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, unixSocket_.data(), unixSocket_.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) return fd;
        failure = errno;
        if (fd >= 0) ::close(fd);
    }
    errnum = failure;
    errmode = 0;
    const std::string text = std::string(std::strerror(failure)) + " (" + unixSocket_ + ")";
    soap_set_sender_error(this, soap_strdup(this, text.c_str()), "connect failed in tcp_connect()", SOAP_TCP_ERROR);
    return SOAP_INVALID_SOCKET;
}

size_t TDemoClientBase::Receive(struct soap *context, char *buffer, size_t size) noexcept {
    auto *self = static_cast<TDemoClientBase *>(context);
    size_t got = 0;
    const TAnswerWait wait = self->Cancel != nullptr ? self->WaitForAnswer() : TAnswerWait::Ready;
    if (wait == TAnswerWait::Cancelled) return 0;
    if (wait == TAnswerWait::TimedOut) {
        // The receive timeout passed here: the runtime finds the same at once (its wait set
        // to one microsecond), so the failure and its words are the runtime's own.
        const int timeoutSetting = self->recv_timeout;
        self->recv_timeout = -1;
        got = self->runtimeReceive_(context, buffer, size);
        self->recv_timeout = timeoutSetting;
    } else {
        got = self->runtimeReceive_(context, buffer, size);
    }
    // The runtime ends a call past its transfer deadline as if the service had hung up; a
    // later step then reports the HTTP status it had read instead. Noted here so that the
    // message names the deadline.
    if (got == 0 && self->transfer_timeout != 0) {
        const auto limit = self->transfer_timeout > 0
                               ? std::chrono::microseconds(int64_t(self->transfer_timeout) * 1000000)
                               : std::chrono::microseconds(-int64_t(self->transfer_timeout));
        if (std::chrono::steady_clock::now() - self->callStart_ >= limit) self->stop_ = TStop::Deadline;
    }
    // Our own wait saw the connection readable or hung up, and there was nothing to read.
    if (got == 0 && self->Cancel != nullptr && wait == TAnswerWait::Ready && self->stop_ == TStop::None)
        self->stop_ = TStop::HungUp;
    return got;
}

// The runtime's own wait for readable data cannot be interrupted; this one looks at Cancel
// between slices, within the receive timeout.
TDemoClientBase::TAnswerWait TDemoClientBase::WaitForAnswer() noexcept {
    using namespace std::chrono;
    const auto timeout = recv_timeout > 0 ? microseconds(int64_t(recv_timeout) * 1000000)
                                          : microseconds(-int64_t(recv_timeout));
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        if (Cancel->load()) {
            stop_ = TStop::Cancelled;
            return TAnswerWait::Cancelled;
        }
        milliseconds slice(CancelPollMs);
        if (recv_timeout != 0) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
            if (left <= milliseconds(0)) return TAnswerWait::TimedOut;
            slice = std::min(slice, left + milliseconds(1));
        }
        pollfd watched{socket, POLLIN, 0};
        // Readable, hung up or failed: the runtime's receive says which.
        if (poll(&watched, 1, int(slice.count())) != 0) return TAnswerWait::Ready;
    }
}

TDemoClientBase::~TDemoClientBase() = default;

bool TDemoClientBase::CheckUpdateRequired() {
    if (UpdateChecked) return UpdateRequiredCache;
    TCallScope scope(*this);
    bool answer = false;
    RaiseServiceError(UpdateRequired2(ApplicationID, ClientVersion, answer));
    UpdateRequiredCache = answer;
    UpdateChecked = true;
    return answer;
}

void TDemoClientBase::EnsureSession(const char *userName, const char *password) {
    if (SessionID.Length() > 0) return;
    const MyString previousClientID(ClientID);
    MyString clientID(ClientID);
    if (clientID.Length() == 0) clientID = ReadStoredClientID();
    const bool hadClientID = clientID.Length() > 0;

    MyString newClientID, newSessionID;
    {
        TCallScope scope(*this);
        TXmlArgument user(userName), pass(password), id(clientID);
        ns1__LoginResponse answer{};
        RaiseServiceError(
            Login(ApplicationID, ClientVersion, user.Get(), pass.Get(), id.Get(), answer));
        newClientID.Assign(answer.ClientID);
        newSessionID.Assign(answer.return_);
    }
    ClientID = newClientID;
    if (!hadClientID) {
        try {
            StoreClientID();
        } catch (...) {
            ClientID = previousClientID;
            throw;
        }
    }
    SessionID = newSessionID;
}

void TDemoClientBase::BeginSessionCall() {
    if (soap_endpoint == nullptr || soap_endpoint[0] == '\0')
        RaiseError(TErrorCategory::Service, "Server Address not specified in DSClient");
    EnsureSession("", "");
}

MyString TDemoClientBase::GetSetupUrl() {
    BeginSessionCall();
    TCallScope scope(*this);
    TXmlArgument session(SessionID);
    char *url = nullptr;
    RaiseServiceError(LastSetupUrl2(session.Get(), url));
    return MyString(url);
}

void TDemoClientBase::LoadSentences(const char *text, uint8_t isXml, TNarreloCumles &sentences) {
    BeginSessionCall();
    TMemoryStream stream(ResultGranularity);
    {
        TCallScope scope(*this);
        TXmlArgument session(SessionID), argument(text);
        xsd__base64Binary answer;
        RaiseServiceError(ParseSentences(session.Get(), argument.Get(), isXml != 0, answer));
        if (answer.__size > 0) stream.Write(answer.__ptr, answer.__size);
    }
    stream.Seek(0, soFromBeginning);

    // An empty answer fails here too, with "Internal Memory Is Nil".
    TEnCryptedRawDataStatic raw;
    raw.Unscramble(stream.Memory(), stream.DataSize());
    if (raw.Payload() == nullptr || raw.PayloadSize() <= 0) RaiseError(TErrorCategory::Service, "Internal Memory Is Nil");
    // The payload lies in the holder's own copy, so the stream can be refilled from it.
    stream.Clear();
    stream.Write(raw.Payload(), raw.PayloadSize());
    stream.Seek(0, soFromBeginning);
    sentences.LoadFromStream(stream);
}

void TDemoClientBase::SynthesiseSentence(const char *text, uint8_t isXml, int32_t speaker,
                                         int32_t volume, int32_t speed, int32_t fileType,
                                         TDemoAudios &audios) {
    BeginSessionCall();
    TMemoryStream stream(ResultGranularity);
    {
        TCallScope scope(*this);
        TXmlArgument session(SessionID), argument(text);
        xsd__base64Binary answer;
        RaiseServiceError(Synthesise(session.Get(), argument.Get(), isXml != 0, speaker, volume,
                                     speed, fileType, answer));
        if (answer.__size > 0) stream.Write(answer.__ptr, answer.__size);
    }
    stream.Seek(0, soFromBeginning);
    audios.LoadFromStream(stream);
}

int32_t TDemoClientBase::LoadSynthesisedFile(TStream &stream, const char *fileId) {
    BeginSessionCall();
    TCallScope scope(*this);
    TXmlArgument session(SessionID), file(fileId);
    xsd__base64Binary answer;
    RaiseServiceError(GetSynthesisedFile(session.Get(), file.Get(), answer));
    static const unsigned char nothing = 0;
    const int32_t size = answer.__size > 0 ? answer.__size : 0;
    return stream.Write(size > 0 ? answer.__ptr : &nothing, size);
}

void TDemoClientBase::RaiseServiceError(int result) {
    if (result == 0) return;
    MyString message("WebServis çağrısında hata oluştu\r\n\r\n"_cp);
    // A failure the service did not describe (timeout, connection, HTTP, XML) has the
    // runtime fill the fault record with its own words for the error. What the runtime's own
    // error number hides: a limit of ours (which it has no words for,
    // and reports as a bare "HTTP Error"), or a deadline it reported as the answer's status.
    const TStop stop = stop_;
    stop_ = TStop::None;
    const bool serviceFault = fault != nullptr;  // the service's own words came
    if (stop == TStop::HeaderLines) {
        const MyString text =
            MyString::MakeStr("Too many HTTP header lines (more than %d)", int(HeaderLineLimit));
        // The record keeps the pointer: the text lives in the context's memory.
        soap_set_receiver_error(this, soap_strdup(this, text.Text()), nullptr, SOAP_HDR);
    } else if (fault == nullptr) {
        if (stop == TStop::Deadline) {
            error = SOAP_EOF;
            errnum = 0;
        }
        soap_set_fault(this);
    }
    const char *text = fault != nullptr ? soap_fault_string() : nullptr;
    // Two of the runtime's words mislead: an address whose path does not fit its request
    // line is "Out of memory", and an answer of another kind than SOAP (a web page) is
    // "Error 200: HTTP 200 OK". Say what happened instead.
    MyString own;
    if (result == SOAP_EOM && soap_endpoint != nullptr &&
        std::strlen(soap_endpoint) >= EndpointLengthLimit) {
        own = MyString::MakeStr("The service address is too long (%d characters)",
                                int(std::strlen(soap_endpoint)));
    } else if (stop == TStop::Cancelled) {
        own = MyString("The call was cancelled");
    } else if (stop == TStop::HungUp && !serviceFault) {
        // The runtime's words for this are "... interrupted or timed out (120 sec max
        // transfer time)": nothing timed out, the service went away.
        own = MyString("The service closed the connection before its answer was complete");
    } else if (stop == TStop::None && result >= 200 && result < 300) {
        own = MyString::MakeStr("The answer is not a SOAP message (HTTP %d)", result);
    }
    if (own.Text() != nullptr) text = own.Text();
    if (text != nullptr) message.Append(text);
    else message.Append(MyString::MakeStr("HataKodu: %d", result).Text());
    // Nothing answers on this machine's own address: say what is wrong and how to mend it,
    // in the interface language, after the system's text.
    if (result == SOAP_TCP_ERROR && stop != TStop::Cancelled && soap_endpoint != nullptr &&
        IsLocalAddress(soap_endpoint)) {
        bool english = false;
        try {
            english = ReadInterfaceIsEnglish() != 0;
        } catch (const TCustomException &) {
            // Turkish, the interface's default
        }
        message.Append("\r\n\r\n");
        message.Append(cp1254::FromUtf8(LocalServiceAdvice(english)).c_str());
    }
    throw TException(message.Text(), size_t(message.Length()), TErrorCategory::Service);
}

MyString TDemoClientBase::ReadStoredClientID() {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    if (!registry.OpenIfExists() || !registry.ValueExists(ClientIDValue)) return MyString("");
    return registry.ReadString(ClientIDValue);
}

void TDemoClientBase::StoreClientID() {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    registry.CreateIfMissing = true;
    registry.WriteString(ClientIDValue, ClientID.Text(), ClientID.Length());
}
