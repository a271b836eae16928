// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stand-in for the speech service in tests: listens on 127.0.0.1 on a port the system
// picks, records the bytes of every request it receives and answers each with the next
// canned reply, in the order they were added. Plain sockets on its own thread; every wait is
// bounded and ends when the server is destroyed.
//
// A request is read up to the end of its HTTP header and its Content-Length body. With no
// canned reply left, a request is answered with an HTTP 500 SOAP fault "no canned reply".

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class TSoapTestServer {
public:
    TSoapTestServer();
    ~TSoapTestServer();
    TSoapTestServer(const TSoapTestServer &) = delete;
    TSoapTestServer &operator=(const TSoapTestServer &) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port><path>".
    std::string Endpoint(std::string_view path = "/soap/IDemoServer") const;

    // Queues an HTTP response made of `status`, the usual headers and `envelope` as body.
    void AddReply(std::string_view envelope, int status = 200);
    // Queues bytes sent as they are (a broken response, for instance).
    void AddRawReply(std::string bytes);
    // Queues a turn in which the request is read and never answered; the connection stays
    // open until the client gives up or the server is destroyed.
    void AddSilence();
    // Queues bytes sent one at a time, `intervalMs` apart: a service that trickles. Ends when
    // all are sent, the client hangs up or the server is destroyed.
    void AddTrickle(std::string bytes, int intervalMs);

    // Copies of the requests received so far, each header and body as sent.
    std::vector<std::string> Requests() const;
    size_t RequestCount() const;

private:
    struct Turn {
        bool silent = false;
        std::string bytes;
        int trickleMs = 0;  // > 0: one byte per interval
    };

    void Run();
    void Serve(int connection);
    Turn NextTurn();

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};  // written by the destructor, read by the server thread
    mutable std::mutex lock_;         // guards turns_ and requests_
    std::deque<Turn> turns_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// The bytes of an HTTP response made of `status`, the usual headers and `body`.
std::string HttpResponse(std::string_view body, int status = 200);

// A SOAP 1.1 envelope with the usual namespace declarations around `body` (the content of
// SOAP-ENV:Body).
std::string SoapEnvelope(std::string_view body);
// The Body content of a fault with the given code and string.
std::string SoapFault(std::string_view code, std::string_view text);
