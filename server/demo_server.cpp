// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/demo_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "server/request_policy.h"
#include "server/service_limits.h"
#include "server/unix_listener.h"

namespace {

// Bytes a refused client may still send after its answer, and for how long, before the
// connection is closed: enough for it to read the answer rather than a reset.
constexpr uint64_t DrainBytes = 2 * MaxRequestBytes;
constexpr int DrainSeconds = 5;

std::string AddressText(const sockaddr_storage &address) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(&address)->sin_addr, text,
                  sizeof text);
    } else if (address.ss_family == AF_INET6) {
        const in6_addr &v6 = reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&v6)) inet_ntop(AF_INET, v6.s6_addr + 12, text, sizeof text);
        else inet_ntop(AF_INET6, &v6, text, sizeof text);
    } else if (address.ss_family == AF_UNIX) {
        return "unix";
    }
    return text;
}

std::string PeerOf(int socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) return "?";
    return AddressText(address);
}

// This end's address as a Host header names it ("127.0.0.1", "[::1]"); "" when unknown or
// a Unix socket (whose clients name it "localhost", the server's own ListenHost).
std::string LocalAddressOf(int socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) return "";
    if (address.ss_family == AF_UNIX) return "";
    const std::string text = AddressText(address);
    return text.find(':') != std::string::npos ? "[" + text + "]" : text;
}

int64_t NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string HostForUrl(const std::string &address, int port) {
    const bool ipv6 = address.find(':') != std::string::npos && address.front() != '[';
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

bool ListensBeyondLoopback(const std::string &address) {
    if (address.rfind("unix:", 0) == 0) return false;  // a Unix socket never leaves the machine
    if (address == "localhost" || address == "::1" || address == "[::1]") return false;
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) != 127;
    return true;
}

TDemoServer::TDemoServer(TServiceShared &shared, int workers)
    : TDemoServer(std::make_unique<TDemoService>(shared), workers) {}

TDemoServer::TDemoServer(std::unique_ptr<TDemoService> master, int workers)
    : masterService_(std::move(master)), master_(*masterService_),
      workerCount_(workers < 1 ? 1 : workers), lastBusy_(NowNanoseconds()) {
    master_.bind_flags = SO_REUSEADDR;
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_ < 0) throw std::runtime_error("eventfd failed");
}

TDemoServer::~TDemoServer() {
    // The connections left close with their TPending.
    if (listener_ >= 0) ::close(listener_);
    ::close(wake_);
}

int TDemoServer::Bind(const std::string &address, int port) {
    if (!soap_valid_socket(master_.bind(address.c_str(), port, 128))) {
        const char *reason = ::soap_fault_string(&master_);
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) +
                                 (reason ? std::string(": ") + reason : std::string()));
    }
    const int socket = master_.master;
    master_.master = SOAP_INVALID_SOCKET;  // ours now
    ::listen(socket, ListenBacklog);       // a burst of clients waits rather than failing
    return Finish(socket, address);
}

int ListeningSocket(const std::string &address, int port) {
    struct soap binder;
    soap_init(&binder);
    binder.bind_flags = SO_REUSEADDR;
    const SOAP_SOCKET socket = soap_bind(&binder, address.c_str(), port, 128);
    if (!soap_valid_socket(socket)) {
        const char *reason = ::soap_fault_string(&binder);
        const std::string why = "cannot listen on " + address + ":" + std::to_string(port) +
                                (reason ? std::string(": ") + reason : std::string());
        soap_done(&binder);
        throw std::runtime_error(why);
    }
    binder.master = SOAP_INVALID_SOCKET;  // the caller's now
    ::listen(socket, ListenBacklog);      // a burst of clients waits rather than failing
    soap_done(&binder);
    return socket;
}

int TDemoServer::Adopt(int socket, const std::string &address) { return Finish(socket, address); }

int TDemoServer::Finish(int socket, const std::string &address) {
    listener_ = socket;
    ::fcntl(listener_, F_SETFL, ::fcntl(listener_, F_GETFL) | O_NONBLOCK);
    ::fcntl(listener_, F_SETFD, FD_CLOEXEC);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(listener_, reinterpret_cast<sockaddr *>(&bound), &length) != 0)
        throw std::runtime_error("getsockname failed");
    TServiceShared &shared = master_.Shared();
    if (bound.ss_family == AF_UNIX) {
        // Reached as http://localhost/... over the socket: the Host a client sends is
        // "localhost" (port 80, left out), as for a page on that address.
        shared.ListenHost = "localhost";
        shared.AllowedHosts = MakeHostAllowList("localhost", 80, shared.Options.AllowHosts);
        unixListener_ = true;
        return 0;
    }
    const int port = bound.ss_family == AF_INET6
                         ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
                         : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    shared.ListenHost = HostForUrl(address, port);
    shared.AllowedHosts = MakeHostAllowList(address, port, shared.Options.AllowHosts);
    return port;
}

double TDemoServer::IdleSeconds() const {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (openTotal_ > 0 || inHand_ > 0) return 0;
    }
    return double(NowNanoseconds() - lastBusy_.load()) / 1e9;
}

void TDemoServer::Touch() { lastBusy_.store(NowNanoseconds()); }

int TDemoServer::TakeListener() {
    const int listener = listener_;
    listener_ = -1;
    return listener;
}

void TDemoServer::Run(const std::atomic<bool> &stop, const std::atomic<bool> *handOver) {
    if (listener_ < 0) throw std::logic_error("TDemoServer::Run before Bind");
    // A connection costs a descriptor, and so do the files and the engine: the bounds are
    // what the process may open, less room for those.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
        const int room = std::max(16, int(std::min<rlim_t>(files.rlim_cur, 1 << 20)) - 64);
        openBound_ = std::min(MaxOpenConnections, room * 2 / 3);
        refusingBound_ = std::min(openBound_ + MaxRefusingConnections, room);
    }
    // Each worker's service is a copy of the master made before any request, so no copy
    // ever holds another's socket.
    std::vector<std::unique_ptr<TDemoService>> services;
    std::vector<std::thread> workers;
    for (int i = 0; i < workerCount_; ++i) {
        services.emplace_back(master_.copy());
        services.back()->master = SOAP_INVALID_SOCKET;
        services.back()->socket = SOAP_INVALID_SOCKET;
    }
    for (auto &service : services) workers.emplace_back([this, &service] { Work(service.get()); });

    bool stopping = false;
    std::vector<pollfd> waiting;
    for (;;) {
        if (!stopping && stop.load()) {
            stopping = true;
            if (handOver == nullptr || !handOver->load()) {
                // Clients that connected before the stop have sent their requests: take them too.
                AcceptAll();
                ::close(listener_);
                listener_ = -1;
            }
        }
        if (stopping && pending_.empty()) {
            std::lock_guard<std::mutex> guard(lock_);
            if (inHand_ == 0 && answers_.empty()) break;  // everything taken is answered
        }

        waiting.clear();
        Clock::time_point next = Clock::now() + std::chrono::milliseconds(StopPollMilliseconds);
        waiting.push_back({wake_, POLLIN, 0});
        // With no room even for a refusal, new connections wait in the backlog.
        bool full = false;
        {
            std::lock_guard<std::mutex> guard(lock_);
            full = openTotal_ >= refusingBound_;
        }
        const bool accepting = !full && Clock::now() >= acceptPausedUntil_;
        if (!stopping) waiting.push_back({listener_, short(accepting ? POLLIN : 0), 0});
        for (const auto &pending : pending_) {
            short events = POLLIN;
            if (!pending->Answer.empty() && !pending->Draining) events = POLLOUT;
            waiting.push_back({pending->Socket, events, 0});
            next = std::min(next, pending->Deadline);
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        const int ready = ::poll(waiting.data(), waiting.size(), int(std::max<int64_t>(0, wait.count() + 1)));
        if (ready < 0 && errno != EINTR) break;

        const size_t first = stopping ? 1 : 2;
        // The connections as they were polled; the new ones come after them.
        std::vector<std::unique_ptr<TPending>> polled;
        for (auto &pending : pending_) polled.push_back(std::move(pending));
        pending_.clear();
        const Clock::time_point now = Clock::now();
        for (size_t i = 0; i < polled.size(); ++i) {
            TPending &pending = *polled[i];
            const short got = ready > 0 ? waiting[first + i].revents : 0;
            bool keep = true;
            if (got != 0) keep = Advance(pending);
            if (keep && now >= pending.Deadline) {
                if (pending.Logged && !pending.Draining) {
                    // Its worker logged the request served: this line says the answer was not.
                    pending.Logged = false;
                    pending.Result = "the client did not take its answer in time";
                }
                if (pending.Result.empty()) pending.Result = "timed out";
                Close(pending);
                keep = false;
            }
            if (keep) pending_.push_back(std::move(polled[i]));
        }
        if (ready > 0 && (waiting[0].revents & POLLIN)) {
            uint64_t count = 0;
            (void)::read(wake_, &count, sizeof count);
        }
        {
            // Served answers join the connections being written (their deadline counts from
            // here).
            std::lock_guard<std::mutex> guard(lock_);
            for (auto &answer : answers_) pending_.push_back(std::move(answer));
            answers_.clear();
        }
        if (!stopping && ready > 0 && (waiting[1].revents & POLLIN)) AcceptAll();
    }

    {
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
    }
    ready_.notify_all();
    for (std::thread &worker : workers) worker.join();
}

void TDemoServer::AcceptAll() {
    for (int taken = 0; taken < 256; ++taken) {
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                acceptPausedUntil_ = Clock::now() + std::chrono::milliseconds(100);
            return;  // EAGAIN: the backlog is empty (or out of descriptors: try again later)
        }
        // The socket's mode keeps other users out; the peer's credentials say so again,
        // whatever mode a service manager gave a socket it made.
        if (unixListener_ && !PeerIsOwnUser(socket)) {
            ::close(socket);
            continue;
        }
        const int one = 1;
        if (!unixListener_) ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto pending = std::make_unique<TPending>(socket, PeerOf(socket), Clock::now(),
                                                  THttpLimits{MaxHeaderBytes, MaxRequestBytes});
        pending->Deadline = pending->Opened + std::chrono::seconds(std::min(
                                                  RequestDeadlineSeconds,
                                                  master_.Shared().Options.IdleTimeout));
        // Room for it: a connection only waiting for its client to close makes room; else
        // the newcomer is told to come back, while there is room for telling.
        bool room = false, refusable = false;
        {
            std::unique_lock<std::mutex> guard(lock_);
            room = openTotal_ < openBound_;
            guard.unlock();
            if (!room && Evict()) room = true;
            guard.lock();
            refusable = openTotal_ < refusingBound_;
            if (room || refusable) ++openTotal_;
        }
        Touch();
        if (!room && !refusable) {
            // Cannot happen while the listener is polled only with room; a backstop (the
            // connection closes with its TPending).
            return;
        }
        if (!room)
            StartRefusal(*pending, 503, "The service is busy: try again in a moment",
                         "Retry-After: " + std::to_string(RetryAfterSeconds) + "\r\n");
        pending_.push_back(std::move(pending));
    }
}

bool TDemoServer::Evictable(const TPending &pending) {
    // Answered in full, and only not yet closed by the client.
    return pending.Draining;
}

bool TDemoServer::Evict() {
    for (auto at = pending_.begin(); at != pending_.end(); ++at) {
        TPending &pending = **at;
        if (!Evictable(pending)) continue;
        Close(pending);
        pending_.erase(at);
        return true;
    }
    return false;
}

bool TDemoServer::Advance(TPending &pending) {
    if (!pending.Answer.empty() && !pending.Draining) return SendRefusal(pending);
    char buffer[65536];
    for (;;) {
        const size_t ask = pending.Draining ? sizeof buffer
                                            : std::min(sizeof buffer, pending.Reader.Wanted());
        const ssize_t got = ::recv(pending.Socket, buffer, ask, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Silent between bytes for longer than the idle timeout: that is the deadline too.
            return true;
        }
        if (got <= 0) {
            if (pending.Result.empty()) pending.Result = "client closed the connection";
            Close(pending);
            return false;
        }
        if (pending.Draining) {
            pending.Drained += uint64_t(got);
            if (pending.Drained > DrainBytes) {
                Close(pending);
                return false;
            }
            continue;
        }
        pending.BytesIn += uint64_t(got);
        pending.Deadline = std::min(
            pending.Opened + std::chrono::seconds(RequestDeadlineSeconds),
            Clock::now() + std::chrono::seconds(master_.Shared().Options.IdleTimeout));
        const std::optional<THttpReadResult> read = pending.Reader.Add(buffer, size_t(got));
        if (!read) continue;
        THttpRequest &request = pending.Reader.Request();
        pending.Operation = request.Method;
        switch (*read) {
        case THttpReadResult::Complete: break;
        case THttpReadResult::TooLarge:
            // A fault in HTTP 500 rather than a bare 413: the client reads the fault string
            // of a 500 answer and shows it, while of any other status it only says "HTTP Error".
            StartRefusal(pending, 500,
                         "The request is larger than " + std::to_string(MaxRequestBytes) + " bytes");
            return SendRefusal(pending);
        case THttpReadResult::HeaderTooLarge:
            pending.Operation = "-";
            StartRefusal(pending, 431, "The request header is too large");
            return SendRefusal(pending);
        case THttpReadResult::LengthRequired:
            StartRefusal(pending, 411, "The request has no Content-Length");
            return SendRefusal(pending);
        case THttpReadResult::BadRequest:
            pending.Operation = "-";
            StartRefusal(pending, 400, "Not an HTTP request");
            return SendRefusal(pending);
        default: break;
        }
        const std::string local = LocalAddressOf(pending.Socket);
        if (const std::optional<TRefusal> refusal =
                PolicyRefusal(request, master_.Shared().AllowedHosts, local)) {
            StartRefusal(pending, refusal->Status, refusal->Text, refusal->ExtraHeader);
            return SendRefusal(pending);
        }
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (queue_.size() >= MaxWaitingRequests) {
                StartRefusal(pending, 503, "The service is busy: try again in a moment",
                             "Retry-After: " + std::to_string(RetryAfterSeconds) + "\r\n");
                return SendRefusal(pending);
            }
        }
        // Complete and acceptable: a worker serves it, on a blocking socket.
        ::fcntl(pending.Socket, F_SETFL, ::fcntl(pending.Socket, F_GETFL) & ~O_NONBLOCK);
        {
            std::lock_guard<std::mutex> guard(lock_);
            queue_.push_back(TReady{pending.Socket, pending.Peer, local, std::move(request),
                                    pending.Opened});
            ++inHand_;
        }
        ready_.notify_one();
        pending.Socket = -1;  // the worker's now
        return false;
    }
}

void TDemoServer::StartRefusal(TPending &pending, int status, const std::string &text,
                               const std::string &extraHeader) {
    pending.Result = std::to_string(status) + " " + text;
    pending.Answer = RefusalResponse(status, text, extraHeader);
    pending.AnswerSent = 0;
    pending.Deadline = Clock::now() + std::chrono::seconds(DrainSeconds);
}

TDemoServer::TPending::~TPending() {
    if (Socket >= 0) ::close(Socket);
    if (File >= 0) ::close(File);
}

bool TDemoServer::SendRefusal(TPending &pending) {
    while (pending.AnswerSent < pending.Answer.size()) {
        const ssize_t put = ::send(pending.Socket, pending.Answer.data() + pending.AnswerSent,
                                   pending.Answer.size() - pending.AnswerSent, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (put <= 0) {
            Close(pending);
            return false;
        }
        pending.AnswerSent += size_t(put);
    }
    // A large file's body, a block at a time as the client takes it: the other connections
    // are served between blocks.
    constexpr size_t Block = 1 << 20;
    while (pending.File >= 0 && pending.FileSent < pending.FileSize) {
        off_t offset = off_t(pending.FileSent);
        const ssize_t put =
            ::sendfile(pending.Socket, pending.File, &offset,
                       size_t(std::min<uint64_t>(Block, pending.FileSize - pending.FileSent)));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (put <= 0) {  // the client is gone, or the file shrank: the answer cannot be whole
            Close(pending);
            return false;
        }
        pending.FileSent += uint64_t(put);
    }
    if (pending.File >= 0) {
        ::close(pending.File);
        pending.File = -1;
    }
    // A client still sending its body would get a reset instead of this answer if the
    // connection closed on unread bytes: let it finish (bounded), then close.
    ::shutdown(pending.Socket, SHUT_WR);
    pending.Draining = true;
    pending.Deadline = std::min(pending.Deadline, Clock::now() + std::chrono::seconds(DrainSeconds));
    return true;
}

void TDemoServer::Close(TPending &pending) {
    ::close(pending.Socket);
    pending.Socket = -1;
    if (pending.File >= 0) ::close(pending.File);
    pending.File = -1;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - pending.Opened);
    if (!pending.Logged)
        LogRequest(master_.Shared().Options, pending.Peer,
                   pending.Operation.empty() ? "-" : pending.Operation, pending.BytesIn,
                   pending.AnswerSent, double(elapsed.count()) / 1000.0, pending.Result);
    Released();
}

void TDemoServer::Released() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        --openTotal_;
    }
    Touch();
}

void TDemoServer::Work(TDemoService *service) {
    for (;;) {
        TReady ready;
        {
            std::unique_lock<std::mutex> guard(lock_);
            ready_.wait(guard, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) return;  // closing, and everything accepted was served
            ready = std::move(queue_.front());
            queue_.pop_front();
        }
        std::string answer;
        try {
            answer = service->ServeRequest(ready.Socket, ready.Peer, ready.LocalAddress,
                                           std::move(ready.Request), ready.Opened);
        } catch (const std::exception &e) {
            // ServeRequest answers the failures of the request itself; what is left (memory
            // running out around it) ends this request, never the worker.
            answer = RefusalResponse(500, std::string("The request could not be served: ") + e.what());
        }
        // The reading thread sends the answer and closes the connection.
        auto pending = std::make_unique<TPending>(ready.Socket, ready.Peer, ready.Opened,
                                                  THttpLimits{MaxHeaderBytes, MaxRequestBytes});
        ::fcntl(pending->Socket, F_SETFL, ::fcntl(pending->Socket, F_GETFL) | O_NONBLOCK);
        pending->Logged = true;
        pending->Deadline = Clock::now() + std::chrono::seconds(AnswerDeadlineSeconds);
        pending->Answer = std::move(answer);
        pending->File = service->TakeAnswerFile(pending->FileSize);
        if (pending->Answer.empty()) {
            // Sent already (a large file), or nothing to send: only the closing is left.
            ::shutdown(pending->Socket, SHUT_WR);
            pending->Draining = true;
            pending->Deadline = Clock::now() + std::chrono::seconds(DrainSeconds);
        }
        {
            std::lock_guard<std::mutex> guard(lock_);
            answers_.push_back(std::move(pending));
            --inHand_;
        }
        const uint64_t one = 1;
        (void)::write(wake_, &one, sizeof one);
    }
}
