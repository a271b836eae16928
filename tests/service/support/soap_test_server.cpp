// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/service/support/soap_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace {

// Longest request the server keeps reading; anything beyond is a fault of the test.
constexpr size_t MaxRequestBytes = 64 * 1024 * 1024;
// Poll period of every wait: how quickly the server notices that it should stop.
constexpr int PollMilliseconds = 20;

const char *ReasonOf(int status) {
    switch (status) {
    case 200: return "OK";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

}  // namespace

std::string HttpResponse(std::string_view body, int status) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + ReasonOf(status) + "\r\n";
    out += "Content-Type: text/xml; charset=utf-8\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += body;
    return out;
}

namespace {

// The declared body length of a request header, or 0 without one.
size_t ContentLength(std::string_view header) {
    static constexpr std::string_view name = "\r\ncontent-length:";
    std::string lower(header);
    for (char &c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const size_t at = lower.find(name);
    if (at == std::string::npos) return 0;
    return std::strtoul(lower.c_str() + at + name.size(), nullptr, 10);
}

}  // namespace

TSoapTestServer::TSoapTestServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(listener_);
        throw std::runtime_error("bind/listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

TSoapTestServer::~TSoapTestServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::string TSoapTestServer::Endpoint(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void TSoapTestServer::AddReply(std::string_view envelope, int status) {
    AddRawReply(HttpResponse(envelope, status));
}

void TSoapTestServer::AddRawReply(std::string bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    turns_.push_back({false, std::move(bytes), 0});
}

void TSoapTestServer::AddSilence() {
    std::lock_guard<std::mutex> guard(lock_);
    turns_.push_back({true, {}, 0});
}

void TSoapTestServer::AddTrickle(std::string bytes, int intervalMs) {
    std::lock_guard<std::mutex> guard(lock_);
    turns_.push_back({false, std::move(bytes), intervalMs > 0 ? intervalMs : 1});
}

std::vector<std::string> TSoapTestServer::Requests() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

size_t TSoapTestServer::RequestCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_.size();
}

TSoapTestServer::Turn TSoapTestServer::NextTurn() {
    std::lock_guard<std::mutex> guard(lock_);
    if (turns_.empty())
        return {false, HttpResponse(SoapEnvelope(SoapFault("SOAP-ENV:Server", "no canned reply")),
                                    500)};
    Turn turn = std::move(turns_.front());
    turns_.pop_front();
    return turn;
}

void TSoapTestServer::Run() {
    while (!stop_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, PollMilliseconds) <= 0) continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Serve(connection);
        ::close(connection);
    }
}

void TSoapTestServer::Serve(int connection) {
    // Read one request: the header, then as many body bytes as it announces.
    std::string request;
    size_t expected = std::string::npos;
    char buffer[16384];
    bool peerClosed = false;
    while (!stop_ && request.size() < MaxRequestBytes &&
           (expected == std::string::npos || request.size() < expected)) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, PollMilliseconds) <= 0) continue;
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            peerClosed = true;
            break;
        }
        request.append(buffer, size_t(got));
        const size_t headerEnd = request.find("\r\n\r\n");
        if (expected == std::string::npos && headerEnd != std::string::npos)
            expected = headerEnd + 4 + ContentLength(std::string_view(request).substr(0, headerEnd));
    }
    if (request.empty()) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(request);
    }
    if (peerClosed) return;

    const Turn turn = NextTurn();
    if (turn.silent) {
        // Hold the connection until the client gives up or the test ends.
        while (!stop_) {
            pollfd waiting{connection, POLLIN, 0};
            if (::poll(&waiting, 1, PollMilliseconds) <= 0) continue;
            if (::recv(connection, buffer, sizeof buffer, 0) <= 0) break;
        }
        return;
    }
    size_t sent = 0;
    while (!stop_ && sent < turn.bytes.size()) {
        if (turn.trickleMs > 0) {
            // Wait one interval, noticing meanwhile a client that hung up.
            pollfd waiting{connection, POLLIN, 0};
            if (::poll(&waiting, 1, turn.trickleMs) > 0 && ::recv(connection, buffer, sizeof buffer, 0) <= 0)
                break;
        }
        const size_t piece = turn.trickleMs > 0 ? 1 : turn.bytes.size() - sent;
        const ssize_t put = ::send(connection, turn.bytes.data() + sent, piece, MSG_NOSIGNAL);
        if (put <= 0) break;
        sent += size_t(put);
    }
    ::shutdown(connection, SHUT_WR);
}

std::string SoapEnvelope(std::string_view body) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:ns1=\"urn:DemoServerIntf-IDemoServer\">"
        "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">";
    out += body;
    out += "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return out;
}

std::string SoapFault(std::string_view code, std::string_view text) {
    std::string out = "<SOAP-ENV:Fault><faultcode>";
    out += code;
    out += "</faultcode><faultstring>";
    out += text;
    out += "</faultstring></SOAP-ENV:Fault>";
    return out;
}
