// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/curl_library.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

namespace {

std::atomic<bool> loaded{false};

struct TLoad {
    TCurlLibrary Library{};
    bool Ok = false;
    std::string Why;
};

template <typename F>
bool Resolve(void *handle, const char *name, F &function) {
    function = reinterpret_cast<F>(::dlsym(handle, name));
    return function != nullptr;
}

TLoad Load() {
    TLoad load;
    // Kept open for the process: its handles live as long as the getters using them.
    void *handle = ::dlopen(CurlLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *error = ::dlerror();
        load.Why = std::string(CurlLibraryName) + " could not be loaded: " + (error ? error : "");
        return load;
    }
    TCurlLibrary &l = load.Library;
    const char *missing = nullptr;
    const auto need = [&](const char *name, auto &function) {
        if (!missing && !Resolve(handle, name, function)) missing = name;
    };
    need("curl_global_init", l.global_init);
    need("curl_easy_init", l.easy_init);
    need("curl_easy_cleanup", l.easy_cleanup);
    need("curl_easy_setopt", l.easy_setopt);
    need("curl_easy_pause", l.easy_pause);
    need("curl_easy_strerror", l.easy_strerror);
    need("curl_multi_init", l.multi_init);
    need("curl_multi_cleanup", l.multi_cleanup);
    need("curl_multi_add_handle", l.multi_add_handle);
    need("curl_multi_remove_handle", l.multi_remove_handle);
    need("curl_multi_perform", l.multi_perform);
    need("curl_multi_poll", l.multi_poll);
    need("curl_multi_info_read", l.multi_info_read);
    need("curl_multi_strerror", l.multi_strerror);
    if (missing) {
        load.Why = std::string(CurlLibraryName) + " has no " + missing + " (too old)";
        return load;
    }
    load.Ok = true;
    loaded = true;
    return load;
}

}  // namespace

const TCurlLibrary *LoadCurlLibrary(const char **why) {
    static const TLoad load = Load();
    if (why) *why = load.Ok ? nullptr : load.Why.c_str();
    return load.Ok ? &load.Library : nullptr;
}

bool CurlLibraryLoaded() { return loaded; }
