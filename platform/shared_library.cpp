// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shared_library.h"

#include <dlfcn.h>

TSharedLibrary::TSharedLibrary(const char *name) : name_(name) {
    handle_ = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char *error = ::dlerror();
        why_ = name_ + " could not be loaded: " + (error ? error : "");
    }
}

void *TSharedLibrary::Find(const char *symbol) {
    if (!Ok()) return nullptr;
    void *found = ::dlsym(handle_, symbol);
    if (!found) why_ = name_ + " has no " + symbol;
    return found;
}
