// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/curl_library.h"

#include <atomic>
#include <string>

#include "platform/shared_library.h"

namespace {

std::atomic<bool> loaded{false};

struct TLoad {
    TCurlLibrary Library{};
    bool Ok = false;
    std::string Why;
};

TLoad Load() {
    TLoad load;
    // Kept open for the process: its handles live as long as the getters using them.
    TSharedLibrary library(CurlLibraryName);
    TCurlLibrary &l = load.Library;
    library.Need("curl_global_init", l.global_init);
    library.Need("curl_easy_init", l.easy_init);
    library.Need("curl_easy_cleanup", l.easy_cleanup);
    library.Need("curl_easy_setopt", l.easy_setopt);
    library.Need("curl_easy_pause", l.easy_pause);
    library.Need("curl_easy_strerror", l.easy_strerror);
    library.Need("curl_multi_init", l.multi_init);
    library.Need("curl_multi_cleanup", l.multi_cleanup);
    library.Need("curl_multi_add_handle", l.multi_add_handle);
    library.Need("curl_multi_remove_handle", l.multi_remove_handle);
    library.Need("curl_multi_perform", l.multi_perform);
    library.Need("curl_multi_poll", l.multi_poll);
    library.Need("curl_multi_info_read", l.multi_info_read);
    library.Need("curl_multi_strerror", l.multi_strerror);
    load.Ok = library.Ok();
    // A library that opened but lacks a function is older than this program needs.
    load.Why = library.Why() + (library.Opened() && !load.Ok ? " (too old)" : "");
    loaded = load.Ok;
    return load;
}

}  // namespace

const TCurlLibrary *LoadCurlLibrary(const char **why) {
    static const TLoad load = Load();
    if (why) *why = load.Ok ? nullptr : load.Why.c_str();
    return load.Ok ? &load.Library : nullptr;
}

bool CurlLibraryLoaded() { return loaded; }
