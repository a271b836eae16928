// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoServer: the listening socket, the thread that reads requests, and the workers.
//
// One thread (the caller of Run) accepts connections and reads every one of them at once with
// poll, without blocking on any: a request goes to the workers only once it is complete, so a
// client that sends slowly, or not at all, never holds a worker. Each connection has
// RequestDeadlineSeconds for its whole head and body and the idle timeout between bytes.
// Connections are admitted alike whatever their address (service_limits.h): at the bound of
// open connections one whose answer is out and that is only waiting to be closed makes room;
// when none is, the new one is answered 503 with Retry-After, never closed without an
// answer, and no connection is ever closed to make room before its request was read and
// answered. Beyond the refusals too, connections wait in the kernel's backlog. A complete
// request waits for a worker in a bounded queue; beyond it, 503 with Retry-After. Requests
// the service refuses outright
// (too large, malformed, the request policy of request_policy.h) are answered by this thread
// too, which then reads what the client still sends (bounded) before closing, so the client
// sees the answer rather than a reset.
//
// A fixed pool of worker threads, each with its own copy of the service, serves the complete
// requests in the order they were completed and hands each answer back to the reading
// thread, which sends it (within AnswerDeadlineSeconds), so a client that reads slowly holds
// no worker either; a large file (the installer) is sent by that thread too, from the open
// file, as fast as its client takes it. Stop: the connections waiting in the kernel's backlog are
// taken, then no more; every one taken is read to its end (or its deadline), served and answered.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/demo_service.h"
#include "server/http_request_reader.h"
#include "server/service_limits.h"

// "address:port" as a URL names it (an IPv6 address in brackets).
std::string HostForUrl(const std::string &address, int port);
// Whether a service bound to `address` can be reached from other machines.
bool ListensBeyondLoopback(const std::string &address);

// A socket bound to `address`:`port` (0: a free port) with SO_REUSEADDR and listening, as
// Bind makes it, for Adopt: one socket several processes serve. Throws std::runtime_error
// with the runtime's reason when it cannot.
int ListeningSocket(const std::string &address, int port);

class TDemoServer {
public:
    static constexpr int StopPollMilliseconds = 200;  // how soon a stop request is noticed

    TDemoServer(TServiceShared &shared, int workers);
    // Serves with copies of `master` (its copy() gives each worker its own), a service
    // whose operations a test replaces.
    TDemoServer(std::unique_ptr<TDemoService> master, int workers);
    ~TDemoServer();
    TDemoServer(const TDemoServer &) = delete;
    TDemoServer &operator=(const TDemoServer &) = delete;

    // Binds `address`:`port` (0: a free port) with SO_REUSEADDR; returns the port bound and
    // sets the shared ListenHost and AllowedHosts from them. Throws std::runtime_error with
    // the runtime's reason when it cannot.
    int Bind(const std::string &address, int port);
    // Serves on `socket`, already bound and listening (handed over by a service manager);
    // owns it from now on. `address` is what it was bound to, for the Host names allowed.
    // Returns its port; 0 for a Unix socket, which serves only its own user's processes and
    // answers the Host "localhost".
    int Adopt(int socket, const std::string &address);
    // Serves until `stop` becomes true, then finishes what was accepted and returns. When
    // `handOver` is true by then, the connections still in the backlog are left there and
    // the listening socket stays open, for TakeListener (a restart serves them).
    void Run(const std::atomic<bool> &stop, const std::atomic<bool> *handOver = nullptr);
    // The listening socket left open by a Run that handed over, now the caller's; -1 when
    // there is none.
    int TakeListener();
    // Seconds since the server last had a connection open or a request in hand; 0 while it
    // has one.
    double IdleSeconds() const;

private:
    using Clock = std::chrono::steady_clock;

    // A connection whose request is still arriving, or whose refusal is being sent.
    struct TPending {
        TPending(int socket, std::string peer, Clock::time_point opened, const THttpLimits &limits)
            : Socket(socket), Peer(std::move(peer)), Opened(opened), Reader(limits) {}
        ~TPending();
        TPending(const TPending &) = delete;
        TPending &operator=(const TPending &) = delete;

        int Socket = -1;
        std::string Peer;
        Clock::time_point Opened;
        Clock::time_point Deadline;
        THttpRequestReader Reader;
        std::string Operation;  // for the log line of a refusal
        std::string Answer;     // a refusal still to send
        size_t AnswerSent = 0;
        int File = -1;  // sent after Answer (a large file), then closed
        uint64_t FileSize = 0;
        uint64_t FileSent = 0;
        bool Draining = false;  // the answer is out: reading what the client still sends
        uint64_t Drained = 0;
        uint64_t BytesIn = 0;
        std::string Result;     // the log line's result
        bool Logged = false;    // a served request: its worker wrote the line
    };
    struct TReady {
        int Socket;
        std::string Peer;
        std::string LocalAddress;
        THttpRequest Request;
        Clock::time_point Opened;
    };

    int Finish(int socket, const std::string &address);
    void Work(TDemoService *service);
    void AcceptAll();
    // Reads what `pending` has to give; false when it is done (closed, or handed over).
    bool Advance(TPending &pending);
    void StartRefusal(TPending &pending, int status, const std::string &text,
                      const std::string &extraHeader = "");
    bool SendRefusal(TPending &pending);
    void Close(TPending &pending);
    // Closes one connection that only waits for its client to close; false when none does.
    bool Evict();
    void Released();
    void Touch();
    // Whether a connection may be closed to make room for a newer one.
    static bool Evictable(const TPending &pending);

    std::unique_ptr<TDemoService> masterService_;
    TDemoService &master_;
    const int workerCount_;
    int listener_ = -1;
    bool unixListener_ = false;  // listener_ is a Unix socket: peers are checked by uid
    std::deque<std::unique_ptr<TPending>> pending_;  // oldest first; the reading thread's

    mutable std::mutex lock_;         // guards the members below
    std::condition_variable ready_;   // a request was queued, or closing
    std::deque<TReady> queue_;
    std::vector<std::unique_ptr<TPending>> answers_;  // served, for the reading thread to send
    int wake_ = -1;                   // eventfd: an answer is waiting
    int openTotal_ = 0;               // connections open, in every state
    int openBound_ = MaxOpenConnections;  // both for the descriptors there are
    int refusingBound_ = MaxOpenConnections + MaxRefusingConnections;
    Clock::time_point acceptPausedUntil_{};  // out of descriptors: the reading thread's
    int inHand_ = 0;                  // requests queued or being served
    bool closing_ = false;
    std::atomic<int64_t> lastBusy_;   // steady clock, nanoseconds
};
