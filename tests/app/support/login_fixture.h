// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the login tests: a client pointed at a canned SOAP server in a fresh settings
// store, the Login request element the client must send, and the stored login values.

#include <optional>
#include <string>
#include <string_view>

#include "foundation/registry.h"
#include "service/demo_client.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/temp_config_home.h"

inline std::string LoginElement(std::string_view user, std::string_view password) {
    return "<ns1:Login><AAplicationID>-1</AAplicationID><AVersion>13</AVersion><AUserName>" +
           std::string(user) + "</AUserName><APassword>" + std::string(password) +
           "</APassword><ClientID></ClientID></ns1:Login>";
}

// A string value under the login key, or nothing when the key or value is missing.
inline std::optional<std::string> StoredLoginValue(const char16_t *name) {
    TRegistry registry(HKEY_CURRENT_USER, u"Software\\Valtrosa\\Quellar\\Narrelo");
    if (!registry.OpenIfExists() || !registry.ValueExists(name)) return std::nullopt;
    return std::string(registry.ReadString(name).View());
}

struct TLoginFixture {
    TLoginFixture() {
        Client.soap_endpoint = Endpoint.c_str();
        Client.recv_timeout = 20;
    }
    TempConfigHome Home;
    TSoapTestServer Server;
    std::string Endpoint = Server.Endpoint();
    TDemoClient Client;
};
