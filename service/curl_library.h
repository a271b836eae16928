// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// libcurl, loaded the first time a download starts (dlopen), not linked: a program that
// downloads nothing (the reading, when the service's address is known) never maps it nor
// the two dozen libraries it brings (TLS, IDN, HTTP/2, Kerberos, LDAP...), and starts that
// much lighter. The headers give the types and constants; the functions come from here.

#include <curl/curl.h>

struct TCurlLibrary {
    decltype(&curl_global_init) global_init;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_pause) easy_pause;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_multi_strerror) multi_strerror;
};

// The library's name as the system installs it (Debian's libcurl4).
inline constexpr const char *CurlLibraryName = "libcurl.so.4";

// libcurl's functions, loaded once for the process (thread-safe); null, with `why` set,
// when it cannot be loaded (the name in `why`, with the loader's reason).
const TCurlLibrary *LoadCurlLibrary(const char **why);
// Whether this process has loaded libcurl: for tests and measurements.
bool CurlLibraryLoaded();
