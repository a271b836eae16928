// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/service_log.h"

#include <unistd.h>

#include <chrono>
#include <mutex>
#include <unordered_map>

namespace {

using Clock = std::chrono::steady_clock;

struct TRepeats {
    Clock::time_point Written;
    uint64_t LeftOut = 0;
    std::string Line;  // the last left out, for the summary
};

std::mutex Lock;
std::unordered_map<std::string, TRepeats> Seen;  // guarded by Lock

void WriteAll(const std::string &text) {
    size_t at = 0;
    while (at < text.size()) {
        const ssize_t put = ::write(STDERR_FILENO, text.data() + at, text.size() - at);
        if (put <= 0) return;
        at += size_t(put);
    }
}

std::string Summary(const TRepeats &repeats) {
    std::string line = repeats.Line;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line + " [" + std::to_string(repeats.LeftOut) + " more like it in " +
           std::to_string(RepeatIntervalSeconds) + " s, not written]\n";
}

// The summaries of the keys whose interval is over; forgets the keys long quiet (Lock held).
std::string TakeSummaries(Clock::time_point now) {
    std::string out;
    for (auto it = Seen.begin(); it != Seen.end();) {
        const bool over = now - it->second.Written >= std::chrono::seconds(RepeatIntervalSeconds);
        if (over && it->second.LeftOut > 0) {
            out += Summary(it->second);
            it->second.LeftOut = 0;
            it->second.Written = now;
        }
        if (over && it->second.LeftOut == 0 &&
            now - it->second.Written >= std::chrono::seconds(2 * RepeatIntervalSeconds))
            it = Seen.erase(it);
        else
            ++it;
    }
    return out;
}

}  // namespace

void LogMessage(const std::string &text) { WriteAll("narrelo-demoserver: " + text + "\n"); }

void LogLimited(const std::string &key, const std::string &line) {
    std::string out;
    {
        std::lock_guard<std::mutex> guard(Lock);
        const Clock::time_point now = Clock::now();
        out = TakeSummaries(now);
        auto [it, fresh] = Seen.try_emplace(key);
        TRepeats &repeats = it->second;
        if (!fresh && now - repeats.Written < std::chrono::seconds(RepeatIntervalSeconds)) {
            ++repeats.LeftOut;
            repeats.Line = line;
        } else {
            repeats.Written = now;
            out += line;
        }
    }
    if (!out.empty()) WriteAll(out);
}

void FlushLogRepeats() {
    std::string out;
    {
        std::lock_guard<std::mutex> guard(Lock);
        for (auto &[key, repeats] : Seen)
            if (repeats.LeftOut > 0) out += Summary(repeats);
        Seen.clear();
    }
    if (!out.empty()) WriteAll(out);
}
