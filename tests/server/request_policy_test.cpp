// SPDX-License-Identifier: GPL-3.0-or-later
// Which requests the service refuses before reading them as SOAP or pages: the methods, Host
// names, origins and content types a web page could use it with.

#include <gtest/gtest.h>

#include <string>

#include "server/request_policy.h"

namespace {

THttpRequest Request(const std::string &method, const std::string &host) {
    THttpRequest request;
    request.Method = method;
    request.Target = "/";
    request.Host = host;
    request.HostCount = host.empty() ? 0 : 1;
    if (method == "POST") {
        request.ContentType = "text/xml; charset=utf-8";
        request.HasSoapAction = true;
    }
    return request;
}

TEST(RequestPolicyTest, HostMustNameThisServiceWithItsPort) {
    const THostAllowList allowed =
        MakeHostAllowList("192.0.2.7", 8081, {"konus.example", "vekil.example:443"});
    const struct {
        const char *Host;
        const char *Local;  // the address the connection reached
        bool Allowed;
    } cases[] = {
        {"127.0.0.1:8081", "127.0.0.1", true},
        {"[::1]:8081", "[::1]", true},
        {"LOCALHOST:8081", "127.0.0.1", true},
        {"192.0.2.7:8081", "192.0.2.7", true},        // the --bind address
        {"konus.example", "127.0.0.1", true},          // --allow-host without a port: any
        {"konus.example:8443", "127.0.0.1", true},
        {"vekil.example:443", "127.0.0.1", true},      // --allow-host with a port: only it
        {"vekil.example", "127.0.0.1", false},
        {"127.0.0.1", "127.0.0.1", false},             // a browser leaves out only port 80
        {"127.0.0.1:8082", "127.0.0.1", false},
        {"localhost:08081x", "127.0.0.1", false},
        {"evil.example:8081", "127.0.0.1", false},     // DNS rebinding
        {"127.0.0.1.evil.example:8081", "127.0.0.1", false},
        {"[::1", "[::1]", false},
        {"::1:8081", "[::1]", false},
        {"", "127.0.0.1", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Host);
        EXPECT_EQ(HostAllowed(allowed, c.Host, c.Local), c.Allowed);
    }
    // Bound to every interface, a client may name the address it reached.
    const THostAllowList every = MakeHostAllowList("0.0.0.0", 80, {});
    EXPECT_TRUE(HostAllowed(every, "198.51.100.4", "198.51.100.4"));
    EXPECT_TRUE(HostAllowed(every, "198.51.100.4:80", "198.51.100.4"));
    EXPECT_FALSE(HostAllowed(every, "0.0.0.0:80", "198.51.100.4"));
    EXPECT_FALSE(HostAllowed(every, "198.51.100.5:80", "198.51.100.4"));
}

TEST(RequestPolicyTest, WhatABrowserCouldSendIsRefused) {
    const THostAllowList allowed = MakeHostAllowList("127.0.0.1", 8081, {"konus.example"});
    const auto with = [](THttpRequest request, auto change) {
        change(request);
        return request;
    };
    const THttpRequest get = Request("GET", "127.0.0.1:8081");
    const THttpRequest post = Request("POST", "127.0.0.1:8081");
    const struct {
        const char *Label;
        THttpRequest Request;
        int Status;  // 0: served
    } cases[] = {
        {"a plain GET", get, 0},
        {"a SOAP POST", post, 0},
        {"text/xml without parameters",
         with(post, [](THttpRequest &r) { r.ContentType = "Text/XML"; }), 0},
        {"a page of its own origin",
         with(get, [](THttpRequest &r) { r.HasOrigin = true, r.Origin = "http://127.0.0.1:8081"; }), 0},
        {"its own origin behind a proxy that ends TLS",
         with(Request("POST", "konus.example"), [](THttpRequest &r) { r.HasOrigin = true, r.Origin = "https://konus.example"; }), 0},
        {"a preflight", Request("OPTIONS", "127.0.0.1:8081"), 405},
        {"HEAD", Request("HEAD", "127.0.0.1:8081"), 405},
        {"PUT", Request("PUT", "127.0.0.1:8081"), 405},
        {"no Host", Request("GET", ""), 400},
        {"two Hosts", with(get, [](THttpRequest &r) { r.HostCount = 2; }), 400},
        {"a foreign Host", Request("GET", "evil.example:8081"), 403},
        {"a foreign origin",
         with(get, [](THttpRequest &r) { r.HasOrigin = true, r.Origin = "http://evil.example"; }), 403},
        {"an opaque origin",
         with(post, [](THttpRequest &r) { r.HasOrigin = true, r.Origin = "null"; }), 403},
        {"a text/plain POST",
         with(post, [](THttpRequest &r) { r.ContentType = "text/plain"; }), 415},
        {"a form POST",
         with(post, [](THttpRequest &r) { r.ContentType = "application/x-www-form-urlencoded"; }), 415},
        {"text/xml as a prefix",
         with(post, [](THttpRequest &r) { r.ContentType = "text/xmlx"; }), 415},
        {"no SOAPAction", with(post, [](THttpRequest &r) { r.HasSoapAction = false; }), 400},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::optional<TRefusal> refusal = PolicyRefusal(c.Request, allowed, "127.0.0.1");
        EXPECT_EQ(refusal ? refusal->Status : 0, c.Status);
        if (refusal && refusal->Status == 405) {
            EXPECT_EQ(refusal->ExtraHeader, "Allow: GET, POST\r\n");
        }
    }
}

}  // namespace
