// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// sd_narrelo run as speech-dispatcher runs it: a child process whose standard input and
// output are pipes held by the test, standard error (the module's log) in a file. Replies
// and events are read line by line with a bound on the wait; an audio event (705) is read
// whole, its samples unescaped.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// One reply line or event, as the module wrote it; an audio event as one item.
struct TModuleItem {
    std::string Line;              // "701 BEGIN", "700-name", "705 AUDIO" (the last line)
    std::vector<int16_t> Samples;  // 705: the samples, unescaped
    long DeclaredSamples = -1;     // 705: its num_samples line
};

class TModulePipe {
public:
    TModulePipe(const std::string &program, const std::vector<std::string> &args = {}) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
        std::string pattern =
            (std::filesystem::temp_directory_path() / "narrelo-module-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            const int err = open((folder_ + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err, 2);
            close(in[1]);
            close(out[0]);
            std::vector<char *> argv{const_cast<char *>(program.c_str())};
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
        signal(SIGPIPE, SIG_IGN);
    }
    ~TModulePipe() {
        if (in_ >= 0) close(in_);
        if (out_ >= 0) close(out_);
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TModulePipe(const TModulePipe &) = delete;
    TModulePipe &operator=(const TModulePipe &) = delete;

    void Send(const std::string &text) {
        for (size_t at = 0; at < text.size();) {
            const ssize_t n = write(in_, text.data() + at, text.size() - at);
            if (n <= 0) throw std::runtime_error("the module does not read its input");
            at += size_t(n);
        }
    }
    void CloseInput() {
        close(in_);
        in_ = -1;
    }

    // The next line, without its line feed; nullopt when none came within `limit` or the
    // output ended.
    std::optional<std::string> Line(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const size_t newline = buffer_.find('\n');
            if (newline != std::string::npos) {
                std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) return std::nullopt;
            char chunk[65536];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, size_t(n));
        }
    }

    // The next reply line or event; an audio event whole.
    std::optional<TModuleItem> Item(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::optional<std::string> line = Line(limit);
        if (!line) return std::nullopt;
        TModuleItem item;
        if (line->rfind("705-", 0) != 0) {
            item.Line = *line;
            return item;
        }
        std::string data;
        for (;;) {
            if (line->rfind("705-num_samples=", 0) == 0)
                item.DeclaredSamples = std::stol(line->substr(16));
            if (line->rfind("705-AUDIO", 0) == 0) {
                // "705-AUDIO", a NUL, then the data.
                if (line->size() < 10 || (*line)[9] != '\0') item.DeclaredSamples = -3;
                data = line->substr(std::min<size_t>(10, line->size()));
            }
            if (*line == "705 AUDIO") break;
            line = Line(limit);
            if (!line) return std::nullopt;
        }
        std::string bytes;
        for (size_t i = 0; i < data.size(); ++i) {
            if (data[i] == char(0x7D) && i + 1 < data.size()) {
                ++Escapes;
                bytes += char(data[++i] ^ 0x20);
            } else {
                bytes += data[i];
            }
        }
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            item.Samples.push_back(
                int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8));
        if (bytes.size() % 2 != 0) item.DeclaredSamples = -2;  // an odd byte: broken framing
        item.Line = "705 AUDIO";
        return item;
    }

    // Waits for the program's end, at most `limit`; its exit status, or -1.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    pid_t Pid() const { return pid_; }
    std::string Log() const {
        std::ifstream in(folder_ + "/err", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    size_t Escapes = 0;  // escaped bytes seen in audio events

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    bool reaped_ = false;
    std::string folder_, buffer_;
};
