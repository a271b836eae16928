// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stands in for the person at the message box: records every text shown and answers from
// a script (IDOK / IDNO when the script runs out). Installed for the lifetime of the object.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/message_box.h"

class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(std::deque<int> answers = {}) : answers_(std::move(answers)) {
        previous_ = SetMessageBoxHandler([this](const char *text, int style) {
            std::lock_guard<std::mutex> guard(lock_);
            texts_.emplace_back(text);
            styles_.push_back(style);
            if (!answers_.empty()) {
                int answer = answers_.front();
                answers_.pop_front();
                return answer;
            }
            return style == MB_YESNO ? IDNO : IDOK;
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxHandler(std::move(previous_)); }
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

    // The texts shown so far, as Windows-1254 bytes.
    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> guard(lock_);
        return texts_;
    }
    std::vector<int> Styles() const {
        std::lock_guard<std::mutex> guard(lock_);
        return styles_;
    }

private:
    mutable std::mutex lock_;
    std::deque<int> answers_;
    std::vector<std::string> texts_;
    std::vector<int> styles_;
    TMessageBoxHandler previous_;
};
