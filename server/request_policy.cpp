// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/request_policy.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char &c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "name", "name:port", "[v6]" or "[v6]:port"; false when it is none of these.
bool SplitHost(std::string_view host, std::string &name, std::string &port) {
    name.clear();
    port.clear();
    if (host.empty()) return false;
    size_t nameEnd = 0;
    if (host.front() == '[') {
        nameEnd = host.find(']');
        if (nameEnd == std::string_view::npos) return false;
        ++nameEnd;
    } else {
        nameEnd = host.find(':');
        if (nameEnd == std::string_view::npos) nameEnd = host.size();
    }
    name = Lower(host.substr(0, nameEnd));
    const std::string_view rest = host.substr(nameEnd);
    if (rest.empty()) return !name.empty();
    if (rest.front() != ':' || !AllDigits(rest.substr(1))) return false;
    port = std::string(rest.substr(1));
    return !name.empty();
}

// The media type of a Content-Type value, lower case, without parameters.
std::string MediaType(std::string_view contentType) {
    std::string_view type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) type.remove_suffix(1);
    return Lower(type);
}

}  // namespace

THostAllowList MakeHostAllowList(const std::string &bindAddress, int port,
                                 const std::vector<std::string> &extra) {
    THostAllowList allowed;
    allowed.Port = port;
    allowed.Names = {"127.0.0.1", "[::1]", "localhost"};
    const std::string bind = Lower(bindAddress);
    const bool ipv6 = bind.find(':') != std::string::npos && bind.front() != '[';
    // Every interface is no name a client can use: those come as the address reached.
    if (bind != "0.0.0.0" && bind != "::" && !bind.empty())
        allowed.Names.push_back(ipv6 ? "[" + bind + "]" : bind);
    for (const std::string &name : extra) allowed.Extra.push_back(Lower(name));
    return allowed;
}

bool HostAllowed(const THostAllowList &allowed, std::string_view host,
                 std::string_view localAddress) {
    std::string name;
    std::string port;
    if (!SplitHost(host, name, port)) return false;
    const std::string whole = Lower(host);
    for (const std::string &extra : allowed.Extra) {
        std::string extraName;
        std::string extraPort;
        if (!SplitHost(extra, extraName, extraPort)) continue;
        if (extraPort.empty() ? name == extraName : whole == extra) return true;
    }
    // A browser leaves the port out only for port 80.
    const bool portMatches =
        port.empty() ? allowed.Port == 80 : std::stoi(port) == allowed.Port;
    if (!portMatches) return false;
    if (!localAddress.empty() && name == Lower(localAddress)) return true;
    return std::find(allowed.Names.begin(), allowed.Names.end(), name) != allowed.Names.end();
}

std::optional<TRefusal> PolicyRefusal(const THttpRequest &request, const THostAllowList &allowed,
                                      std::string_view localAddress) {
    if (request.Method != "GET" && request.Method != "POST")
        return TRefusal{405, "The method " + request.Method.substr(0, 16) + " is not allowed",
                        "Allow: GET, POST\r\n"};
    if (request.HostCount != 1)
        return TRefusal{400, "The request must name its host in one Host header", ""};
    if (!HostAllowed(allowed, request.Host, localAddress))
        return TRefusal{403,
                        "This service does not answer to that host name (narrelo-demoserver "
                        "--allow-host NAME adds one)",
                        ""};
    // The service's own pages may send their origin; any other page may not use it.
    // (https: the same pages behind a proxy that ends TLS, named with --allow-host.)
    const std::string origin = Lower(request.Origin);
    if (request.HasOrigin && origin != "http://" + Lower(request.Host) &&
        origin != "https://" + Lower(request.Host))
        return TRefusal{403, "Requests from web pages of another origin are refused", ""};
    if (request.Method == "POST") {
        if (MediaType(request.ContentType) != "text/xml")
            return TRefusal{415, "A SOAP request must be sent as text/xml", ""};
        if (!request.HasSoapAction)
            return TRefusal{400, "A SOAP request must carry a SOAPAction header", ""};
    }
    return std::nullopt;
}
