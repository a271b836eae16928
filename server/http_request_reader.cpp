#include "server/http_request_reader.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <strings.h>

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the socket is readable or writable; false on timeout or deadline.
bool WaitFor(int socket, short events, int idleSeconds, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        const int wait = int(std::min<int64_t>(left.count(), int64_t(idleSeconds) * 1000));
        pollfd waiting{socket, events, 0};
        const int ready = ::poll(&waiting, 1, wait);
        if (ready > 0) return true;
        if (ready == 0) return false;  // idle too long
        if (errno != EINTR) return false;
    }
}

std::string Trim(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.erase(text.begin());
    while (!text.empty() && blank(text.back())) text.pop_back();
    return text;
}

// Fills the request's fields from its header; false when it is not HTTP.
bool ParseHead(THttpRequest &request) {
    const std::string head = request.Bytes.substr(0, request.HeaderSize);
    const size_t space = head.find(' ');
    const size_t lineEnd = head.find("\r\n");
    if (space == std::string::npos || space == 0 || space > lineEnd ||
        head.find(" HTTP/", space) > lineEnd)
        return false;
    request.Method = head.substr(0, space);
    const size_t targetEnd = head.find(' ', space + 1);
    request.Target = head.substr(space + 1, std::min(targetEnd, lineEnd) - space - 1);
    for (size_t at = lineEnd + 2; at < head.size();) {
        const size_t end = head.find("\r\n", at);
        if (end == std::string::npos || end == at) break;
        const std::string line = head.substr(at, end - at);
        at = end + 2;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Trim(line.substr(0, colon));
        const std::string value = Trim(line.substr(colon + 1));
        if (strcasecmp(name.c_str(), "Content-Length") == 0) {
            // Plain digits only: no sign, no blanks inside, no list; copies must agree.
            if (value.empty() || value.size() > 18 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return false;
            const uint64_t length = std::stoull(value);
            if (request.HasContentLength && length != request.ContentLength) return false;
            request.ContentLength = length;
            request.HasContentLength = true;
        } else if (strcasecmp(name.c_str(), "Host") == 0) {
            request.Host = value;
            ++request.HostCount;
        } else if (strcasecmp(name.c_str(), "Origin") == 0) {
            request.Origin = value;
            request.HasOrigin = true;
        } else if (strcasecmp(name.c_str(), "Content-Type") == 0) {
            request.ContentType = value;
        } else if (strcasecmp(name.c_str(), "SOAPAction") == 0) {
            request.HasSoapAction = true;
        } else if (strcasecmp(name.c_str(), "Transfer-Encoding") == 0 &&
                   strcasecmp(value.c_str(), "identity") != 0) {
            request.Chunked = true;
        }
    }
    return true;
}

const char *ReasonOf(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Error";
    }
}

}  // namespace

THttpReadResult ReadHttpRequest(int socket, const THttpLimits &limits, THttpRequest &request) {
    request = THttpRequest{};
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.TransferSeconds);
    char buffer[16384];
    size_t wanted = 0;  // total bytes of the request, once the header is known
    for (;;) {
        if (request.HeaderSize != 0 && request.Bytes.size() >= wanted) break;
        if (!WaitFor(socket, POLLIN, limits.IdleSeconds, deadline)) return THttpReadResult::TimedOut;
        size_t ask = sizeof buffer;
        if (request.HeaderSize != 0) ask = std::min(ask, wanted - request.Bytes.size());
        const ssize_t got = ::recv(socket, buffer, ask, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return THttpReadResult::Closed;
        request.Bytes.append(buffer, size_t(got));
        if (request.HeaderSize == 0) {
            const size_t end = request.Bytes.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (request.Bytes.size() > limits.MaxHeaderBytes) return THttpReadResult::HeaderTooLarge;
                continue;
            }
            request.HeaderSize = end + 4;
            if (request.HeaderSize > limits.MaxHeaderBytes) return THttpReadResult::HeaderTooLarge;
            if (!ParseHead(request)) return THttpReadResult::BadRequest;
            if (request.HasContentLength && request.ContentLength > limits.MaxBodyBytes)
                return THttpReadResult::TooLarge;
            // A POST must announce its body; another method has one only when it says so.
            if (request.Chunked || (request.Method == "POST" && !request.HasContentLength))
                return THttpReadResult::LengthRequired;
            const bool bodyExpected = request.Method != "GET" && request.Method != "HEAD";
            wanted = request.HeaderSize + (bodyExpected ? size_t(request.ContentLength) : 0);
            if (request.Bytes.size() > wanted) request.Bytes.resize(wanted);  // nothing after it is ours
        }
    }
    return THttpReadResult::Complete;
}

bool SendAll(int socket, const std::string &bytes, int idleSeconds) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(idleSeconds);
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!WaitFor(socket, POLLOUT, idleSeconds, deadline)) return false;
        const ssize_t put = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (put <= 0) return false;
        sent += size_t(put);
    }
    return true;
}

std::string HttpResponse(int status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeader) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + ReasonOf(status) + "\r\n";
    out += "Server: narrelo-demoserver\r\n";
    out += extraHeader;
    out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += body;
    return out;
}
