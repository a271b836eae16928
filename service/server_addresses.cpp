// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/server_addresses.h"

#include <cstring>
#include <optional>
#include <string>

#ifndef NARRELO_SERVER_LIST_URL
#error "NARRELO_SERVER_LIST_URL comes from the build (service/CMakeLists.txt)"
#endif
#ifndef NARRELO_DEFAULT_SERVER_HOST
#error "NARRELO_DEFAULT_SERVER_HOST comes from the build (service/CMakeLists.txt)"
#endif

const char *const DefaultServerListUrl = NARRELO_SERVER_LIST_URL;
const char *const DefaultServerHost = NARRELO_DEFAULT_SERVER_HOST;

namespace {

std::optional<std::string> &ReplacedServerListUrl() {
    static std::optional<std::string> url;  // empty: the default applies
    return url;
}

}  // namespace

const char *ServerListUrl() {
    const std::optional<std::string> &replaced = ReplacedServerListUrl();
    return replaced ? replaced->c_str() : DefaultServerListUrl;
}

MyString SetServerListUrl(const char *url) {
    MyString previous(ServerListUrl());
    if (url) ReplacedServerListUrl() = url;
    else ReplacedServerListUrl().reset();
    return previous;
}

MyString CompleteServerAddress(const char *host) {
    if (!host) host = "";
    if (std::strstr(host, "://")) return MyString(host);
    return MyString::MakeStr("http://%s:8081/Project2.DemoServer/soap/IDemoServer", host);
}

MyString BuiltInServerAddress() { return CompleteServerAddress(DefaultServerHost); }
