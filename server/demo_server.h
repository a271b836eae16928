#pragma once
// TDemoServer: the listening socket and the workers behind it.
//
// One thread accepts (with a short accept timeout, so a stop request is noticed within
// AcceptPollMicroseconds) and hands each connection to a bounded queue; a fixed pool of
// worker threads, each with its own copy of the service, serves them. When the queue is
// full the accepting thread waits and new connections wait in the kernel's backlog. Stop:
// the connections already waiting in the backlog are taken, then no more; every one taken
// is served to its end.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/demo_service.h"

// "address:port" as a URL names it (an IPv6 address in brackets).
std::string HostForUrl(const std::string &address, int port);
// Whether a service bound to `address` can be reached from other machines.
bool ListensBeyondLoopback(const std::string &address);

class TDemoServer {
public:
    static constexpr int AcceptPollMicroseconds = 200000;

    TDemoServer(TServiceShared &shared, int workers, size_t queueLimit = 64);
    ~TDemoServer();
    TDemoServer(const TDemoServer &) = delete;
    TDemoServer &operator=(const TDemoServer &) = delete;

    // Binds `address`:`port` (0: a free port) with SO_REUSEADDR; returns the port bound and
    // sets the shared ListenHost and AllowedHosts from them. Throws std::runtime_error with
    // the runtime's reason when it cannot.
    int Bind(const std::string &address, int port);
    // Serves until `stop` becomes true, then finishes what was accepted and returns.
    void Run(const std::atomic<bool> &stop);

private:
    struct TConnection {
        SOAP_SOCKET Socket;
        std::string Peer;
    };

    void Work(TDemoService *service);

    TDemoService master_;
    const int workerCount_;
    const size_t queueLimit_;
    std::mutex lock_;                 // guards queue_ and closing_
    std::condition_variable ready_;   // a connection was queued, or closing
    std::condition_variable space_;   // a connection was taken off the queue
    std::deque<TConnection> queue_;
    bool closing_ = false;
};
