// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain loopback HTTP for end-to-end tests that need what the real client never sends:
// broken envelopes, oversized or half-sent requests, GET requests. Every wait is bounded.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

// A connected loopback socket, closed by the destructor.
class TRawConnection {
public:
    // `receiveBuffer` > 0 makes the socket's receive buffer that small (a client that reads
    // slowly: the server cannot send much ahead).
    explicit TRawConnection(int port, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(port));
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
    }
    ~TRawConnection() { Close(); }
    TRawConnection(const TRawConnection &) = delete;
    TRawConnection &operator=(const TRawConnection &) = delete;

    // Sends as much as the peer takes; false when it stopped taking (reset or closed).
    bool Send(const std::string &bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            pollfd waiting{fd_, POLLOUT, 0};
            if (::poll(&waiting, 1, 10000) <= 0) return false;
            const ssize_t put = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (put <= 0) return false;
            sent += size_t(put);
        }
        return true;
    }
    // Everything until the peer closes, or what came within `seconds`.
    std::string ReadAll(int seconds = 20) {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        char buffer[65536];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, int(left.count())) <= 0) break;
            const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            out.append(buffer, size_t(got));
        }
        return out;
    }
    // Whether the peer closed the connection within `seconds` (reading and dropping data);
    // 0 seconds: whether it is closed now.
    bool ClosedWithin(int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        char buffer[4096];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd waiting{fd_, POLLIN, 0};  // once at least, so 0 seconds asks "closed now?"
            if (::poll(&waiting, 1, int(std::max<int64_t>(0, left.count()))) <= 0) return false;
            if (::recv(fd_, buffer, sizeof buffer, 0) <= 0) return true;
        }
    }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// The smallest SOAP call a client makes (the update check of version 12), as an envelope.
inline const std::string UpdateRequest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
    "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:ns1=\"urn:DemoServerIntf-IDemoServer\"><SOAP-ENV:Body><ns1:UpdateRequired2>"
    "<AAplicationID>-1</AAplicationID><AVersion>12</AVersion></ns1:UpdateRequired2>"
    "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

// A POST of `body` to the SOAP path of the server on `port`, as a client would send it.
inline std::string SoapPost(int port, const std::string &body, const std::string &action = "") {
    return "POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\nHost: 127.0.0.1:" +
           std::to_string(port) + "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\nSOAPAction: \"" + action +
           "\"\r\n\r\n" + body;
}

// The whole answer (status line, header, body) to a GET of `path`.
inline std::string HttpGet(int port, const std::string &path) {
    TRawConnection connection(port);
    connection.Send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                    "\r\nConnection: close\r\n\r\n");
    return connection.ReadAll();
}

// The status code of an HTTP answer, 0 when there is none.
inline int StatusOf(const std::string &answer) {
    if (answer.rfind("HTTP/1.", 0) != 0 || answer.size() < 12) return 0;
    return std::stoi(answer.substr(9, 3));
}

// The body of an HTTP answer.
inline std::string BodyOf(const std::string &answer) {
    const size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "" : answer.substr(end + 4);
}
