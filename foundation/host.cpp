// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/host.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/message_box.h"
#include "foundation/shell.h"
#include "platform/default_program.h"
#include "platform/ui_queue.h"

namespace {

std::atomic<THost *> installed{nullptr};

THost &DefaultHost() {
    // Never destroyed: threads still running at exit may show a message.
    static THost *host = new THost;
    return *host;
}

}  // namespace

int THost::ShowMessage(const char *text, int style) {
    std::string utf8 = cp1254::ToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    std::fflush(stderr);
    return style == MB_YESNO ? IDNO : IDOK;
}

bool THost::ChooseFileToOpen(const char *, const char *, std::string &) { return false; }

void THost::Post(std::function<void()> closure) { UiQueue().Post(std::move(closure)); }

void THost::Send(const std::function<void()> &closure) { UiQueue().Send(closure); }

void THost::ProcessMessages() {
    TUiQueue &queue = UiQueue();
    if (queue.OnOwnerThread()) queue.RunPending(TUiQueue::TQuitHandling::Drop);
}

int THost::OpenDocument(const std::string &utf8Target) { return OpenWithDefaultProgram(utf8Target); }

void THost::StartInstaller(const char *path) { ShellOpen(path); }

void THost::EndProcess(int exitCode) { std::_Exit(exitCode); }

void THost::RestartProcess() {
    // The arguments as the system recorded them, each ended by a NUL.
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<char *> argv;
    for (size_t at = 0; at < line.size(); at = line.find('\0', at) + 1) {
        argv.push_back(const_cast<char *>(line.c_str() + at));
        if (line.find('\0', at) == std::string::npos) break;
    }
    if (argv.empty()) return;
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
}

THost &Host() {
    THost *host = installed.load();
    return host ? *host : DefaultHost();
}

THost *InstallHost(THost *host) { return installed.exchange(host); }

void ProcessMessages() { Host().ProcessMessages(); }

int ShowMessageBox(const char *text, int style) { return Host().ShowMessage(text ? text : "", style); }

void EndProcessNow(int exitCode) {
    Host().EndProcess(exitCode);
    std::_Exit(exitCode);
}

void RestartProcessNow() {
    Host().RestartProcess();
    std::_Exit(0);
}
