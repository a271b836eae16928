#include "server/demo_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <stdexcept>

namespace {

std::string PeerOf(SOAP_SOCKET socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) return "?";
    char text[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(&address)->sin_addr, text, sizeof text);
    else if (address.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6 *>(&address)->sin6_addr, text,
                  sizeof text);
    return text;
}

}  // namespace

TDemoServer::TDemoServer(TServiceShared &shared, int workers, size_t queueLimit)
    : master_(shared), workerCount_(workers < 1 ? 1 : workers), queueLimit_(queueLimit) {
    master_.accept_timeout = -AcceptPollMicroseconds;
    master_.bind_flags = SO_REUSEADDR;
}

TDemoServer::~TDemoServer() = default;

int TDemoServer::Bind(const std::string &address, int port) {
    if (!soap_valid_socket(master_.bind(address.c_str(), port, 128))) {
        const char *reason = ::soap_fault_string(&master_);
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) +
                                 (reason ? std::string(": ") + reason : std::string()));
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(master_.master, reinterpret_cast<sockaddr *>(&bound), &length) != 0)
        throw std::runtime_error("getsockname failed");
    const int bound_port = bound.ss_family == AF_INET6
                               ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
                               : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    TServiceShared &shared = master_.Shared();
    shared.ListenHost = HostForUrl(address, bound_port);
    shared.AllowedHosts = MakeHostAllowList(address, bound_port, shared.Options.AllowHosts);
    return bound_port;
}

std::string HostForUrl(const std::string &address, int port) {
    const bool ipv6 = address.find(':') != std::string::npos && address.front() != '[';
    return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

bool ListensBeyondLoopback(const std::string &address) {
    if (address == "localhost" || address == "::1" || address == "[::1]") return false;
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) != 127;
    return true;
}

void TDemoServer::Run(const std::atomic<bool> &stop) {
    // Each worker's service is a copy of the master made before any accept, so no copy
    // ever holds the listening socket's state.
    std::vector<std::unique_ptr<TDemoService>> services;
    std::vector<std::thread> workers;
    for (int i = 0; i < workerCount_; ++i) {
        services.emplace_back(master_.copy());
        services.back()->master = SOAP_INVALID_SOCKET;
        services.back()->socket = SOAP_INVALID_SOCKET;
    }
    for (auto &service : services) workers.emplace_back([this, &service] { Work(service.get()); });

    const auto enqueue = [this](SOAP_SOCKET connection) {
        master_.socket = SOAP_INVALID_SOCKET;  // the worker owns it now
        std::unique_lock<std::mutex> guard(lock_);
        space_.wait(guard, [this] { return queue_.size() < queueLimit_; });
        queue_.push_back({connection, PeerOf(connection)});
        guard.unlock();
        ready_.notify_one();
    };
    while (!stop.load()) {
        const SOAP_SOCKET connection = master_.accept();
        if (soap_valid_socket(connection)) enqueue(connection);
        // else: the poll timed out, a signal came, or an accept failed; look at `stop` again
    }
    // Clients that connected before the stop have sent their requests: serve them too.
    master_.accept_timeout = -1000;
    for (SOAP_SOCKET connection = master_.accept(); soap_valid_socket(connection);
         connection = master_.accept())
        enqueue(connection);

    {
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
    }
    ready_.notify_all();
    for (std::thread &worker : workers) worker.join();
    master_.soap_close_socket();
}

void TDemoServer::Work(TDemoService *service) {
    for (;;) {
        TConnection connection;
        {
            std::unique_lock<std::mutex> guard(lock_);
            ready_.wait(guard, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) return;  // closing, and everything accepted was served
            connection = std::move(queue_.front());
            queue_.pop_front();
        }
        space_.notify_one();
        service->ServeConnection(connection.Socket, connection.Peer);
    }
}
