// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which requests the service answers at all. It runs as the user, beside the user's browser,
// so a web page must not be able to use it: no page of another origin (an `Origin` header
// that is not the service's own), no request a browser sends without asking first (a POST
// that is not `text/xml` with a `SOAPAction`), no preflight (OPTIONS), and no name in `Host`
// but the addresses the service listens on and the names it was told to answer to, which
// closes DNS rebinding (a page whose own name is made to point at 127.0.0.1).
//
// The service never sends an `Access-Control-*` header, so a browser shows no answer to a
// page of another origin either.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/http_request_reader.h"

// The `Host` values a request may carry.
struct THostAllowList {
    int Port = 0;
    // Names that must come with the port: 127.0.0.1, [::1], localhost and the bind address
    // (IPv6 in brackets), lower case.
    std::vector<std::string> Names;
    // Names given with --allow-host (a service behind a proxy or balancer): one with a port
    // must match exactly, one without matches that name with any port or none.
    std::vector<std::string> Extra;
};

THostAllowList MakeHostAllowList(const std::string &bindAddress, int port,
                                 const std::vector<std::string> &extra);

// Whether `host` (a Host header's value) names this service. `localAddress` is the address
// the connection reached ("192.0.2.7", "[::1]"): a client of a service bound to every
// interface may name it by that address too (with the port).
bool HostAllowed(const THostAllowList &allowed, std::string_view host,
                 std::string_view localAddress);

struct TRefusal {
    int Status = 400;
    std::string Text;         // for the fault string and the log line
    std::string ExtraHeader;  // whole header lines ("Allow: GET, POST\r\n")
};

// Why `request` is not served, or nothing when it may be.
std::optional<TRefusal> PolicyRefusal(const THttpRequest &request, const THostAllowList &allowed,
                                      std::string_view localAddress);
