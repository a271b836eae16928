// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tests' one host (foundation/host.h), installed for the lifetime of the object:
// - stands in for the person at the message box: records every text shown and answers from
//   a script (IDOK / IDNO when the script runs out);
// - chooses a file to open as OnChooseFile says (cancels without it);
// - records the documents and addresses handed to the desktop, then opens them as the
//   default host does (tests put a stand-in xdg-open first in PATH), and records the
//   installers started without starting them;
// - ends no process: EndProcess and RestartProcess throw TProcessEnded instead, which the
//   test catches where the program would have ended.
// Posting, sending and serving the UI thread's queue are the default host's, so the tests'
// UI thread (or a window test's event loop) serves them as the program's does.

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/host.h"
#include "foundation/message_box.h"

// What the fake throws where the process would end. `code` is the exit code, or
// ProcessRestartCode for a restart.
inline constexpr int ProcessRestartCode = -1;
struct TProcessEnded {
    int code;
};

class TFakeHost : public THost {
public:
    explicit TFakeHost(std::deque<int> answers = {}) : answers_(std::move(answers)) {
        previous_ = InstallHost(this);
    }
    ~TFakeHost() override { InstallHost(previous_); }

    int ShowMessage(const char *text, int style) override {
        std::lock_guard<std::mutex> guard(lock_);
        texts_.emplace_back(text);
        styles_.push_back(style);
        if (!answers_.empty()) {
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return style == MB_YESNO ? IDNO : IDOK;
    }
    bool ChooseFileToOpen(const char *folder, const char *defaultExtension, std::string &chosen) override {
        return OnChooseFile && OnChooseFile(folder, defaultExtension, chosen);
    }
    int OpenDocument(const std::string &utf8Target) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            opened_.push_back(utf8Target);
        }
        return THost::OpenDocument(utf8Target);
    }
    void StartInstaller(const char *path) override {
        std::function<void(const char *)> observe;
        {
            std::lock_guard<std::mutex> guard(lock_);
            installers_.emplace_back(path);
            observe = OnInstallerStarted;
        }
        if (observe) observe(path);
    }
    void EndProcess(int exitCode) override { throw TProcessEnded{exitCode}; }
    void RestartProcess() override { throw TProcessEnded{ProcessRestartCode}; }

    // The user's choice in a file dialog (set before the test runs).
    std::function<bool(const char *folder, const char *defaultExtension, std::string &chosen)> OnChooseFile;
    // Called with the installer's path as it is started (set before the test runs).
    std::function<void(const char *path)> OnInstallerStarted;

    // The texts shown so far, as Windows-1254 bytes, and their styles.
    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> guard(lock_);
        return texts_;
    }
    std::vector<int> Styles() const {
        std::lock_guard<std::mutex> guard(lock_);
        return styles_;
    }
    // The targets handed to the desktop (UTF-8) and the installers started (Windows-1254).
    std::vector<std::string> Opened() const {
        std::lock_guard<std::mutex> guard(lock_);
        return opened_;
    }
    std::vector<std::string> Installers() const {
        std::lock_guard<std::mutex> guard(lock_);
        return installers_;
    }

private:
    mutable std::mutex lock_;
    std::deque<int> answers_;
    std::vector<std::string> texts_;
    std::vector<int> styles_;
    std::vector<std::string> opened_;
    std::vector<std::string> installers_;
    THost *previous_ = nullptr;
};
