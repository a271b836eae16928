// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/message_box.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "foundation/code_page.h"

namespace {

std::mutex handlerLock;
TMessageBoxHandler handler;  // guarded by handlerLock; empty means the default

int DefaultHandler(const char *text, int style) {
    std::string utf8 = cp1254::ToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    std::fflush(stderr);
    return style == MB_YESNO ? IDNO : IDOK;
}

}  // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler newHandler) {
    std::lock_guard<std::mutex> guard(handlerLock);
    TMessageBoxHandler previous = std::move(handler);
    handler = std::move(newHandler);
    return previous;
}

int ShowMessageBox(const char *text, int style) {
    if (!text) text = "";
    TMessageBoxHandler current;
    {
        // Called outside the lock: a handler blocks until the user answers.
        std::lock_guard<std::mutex> guard(handlerLock);
        current = handler;
    }
    return current ? current(text, style) : DefaultHandler(text, style);
}
