// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSharedLibrary: a system library opened by name at run time (dlopen) and its functions
// looked up by name, for the libraries a program needs only on some of its paths (the sound
// device, HTTP downloads): a program that never takes such a path never maps the library
// nor what it brings. The library stays open for the rest of the process, also when this
// object goes and when a function is missing: code that came from it (its threads, handles
// it gave out) may still run.

#include <string>

class TSharedLibrary {
public:
    // Opens `name` (RTLD_NOW | RTLD_LOCAL); Opened() and Why() tell how that went.
    explicit TSharedLibrary(const char *name);
    TSharedLibrary(const TSharedLibrary &) = delete;
    TSharedLibrary &operator=(const TSharedLibrary &) = delete;

    // Sets `function` to the library's `symbol`. After the first failure (the library did
    // not open, or a symbol is missing) nothing more is looked up and `function` is left
    // as it is, so a table of Need calls reports the first function missing.
    template <class F>
    void Need(const char *symbol, F *&function) {
        if (void *found = Find(symbol)) function = reinterpret_cast<F *>(found);
    }

    // The library opened.
    bool Opened() const { return handle_ != nullptr; }
    // The library opened and every function asked for was found.
    bool Ok() const { return why_.empty(); }
    // Empty while Ok(); otherwise "NAME could not be loaded: <the loader's reason>" or
    // "NAME has no SYMBOL" (the first symbol missing).
    const std::string &Why() const { return why_; }

private:
    void *Find(const char *symbol);

    std::string name_;
    void *handle_ = nullptr;
    std::string why_;
};
