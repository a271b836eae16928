// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two addresses of the maker's servers that the program has built in. Each is defined
// once, in server_addresses.cpp, from the CMake cache options NARRELO_SERVER_LIST_URL and
// NARRELO_DEFAULT_SERVER_HOST, so that a deployment can point the program elsewhere.

#include "foundation/my_string.h"

// The server list: a text file whose trimmed body is the speech service's endpoint.
// Default "http://localhost:8081/demoserver.txt".
extern const char *const DefaultServerListUrl;

// The address FetchServerList downloads: DefaultServerListUrl unless replaced.
const char *ServerListUrl();
// Replaces it (null restores the default) and returns the previous one, so that tests
// point the lookup at their own web server. Not for use while a lookup runs.
MyString SetServerListUrl(const char *url);

// The built-in default server, a bare host name (default "localhost").
extern const char *const DefaultServerHost;

// The endpoint a bare host stands for: "http://<host>:8081/Project2.DemoServer/soap/
// IDemoServer". Anything that already names a scheme ("://") is returned unchanged.
MyString CompleteServerAddress(const char *host);

// CompleteServerAddress(DefaultServerHost): the last source of FindServerAddress, so that a
// machine running the local speech service next to the client needs no setting at all.
MyString BuiltInServerAddress();
