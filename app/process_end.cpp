// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/process_end.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

TProcessEndHandler &Handler() {
    static TProcessEndHandler handler;
    return handler;
}

}  // namespace

TProcessEndHandler SetProcessEndHandler(TProcessEndHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void EndProcessNow(int exitCode) {
    if (Handler()) Handler()(exitCode);
    std::_Exit(exitCode);
}

void RestartProcessNow() {
    if (Handler()) Handler()(ProcessRestartCode);
    // The arguments as the system recorded them, each ended by a NUL.
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<char *> argv;
    for (size_t at = 0; at < line.size(); at = line.find('\0', at) + 1) {
        argv.push_back(const_cast<char *>(line.c_str() + at));
        if (line.find('\0', at) == std::string::npos) break;
    }
    if (!argv.empty()) {
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
    }
    std::_Exit(0);
}
