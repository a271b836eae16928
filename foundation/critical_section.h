// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TCriticalSection: the program's lock. Recursive: the thread that holds it may enter it
// again, and must leave it as many times as it entered. It also meets the standard
// BasicLockable requirements, so std::lock_guard<TCriticalSection> holds it for a scope.

#include <mutex>

class TCriticalSection {
public:
    TCriticalSection() = default;
    virtual ~TCriticalSection() = default;
    TCriticalSection(const TCriticalSection &) = delete;
    TCriticalSection &operator=(const TCriticalSection &) = delete;

    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

    // Standard names of Enter and Leave, for std::lock_guard and std::unique_lock.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};
