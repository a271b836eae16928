// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh, empty folder set as XDG_CONFIG_HOME for the lifetime of the object, so that every
// test gets its own settings store. The previous value is restored and the folder removed
// afterwards.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

class TempConfigHome {
public:
    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "narrelo-config-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        if (const char *old = getenv("XDG_CONFIG_HOME")) previous_ = old;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        // The window keeps its text in the state folder: a test's window must neither find
        // another run's text nor leave its own behind.
        if (const char *old = getenv("XDG_STATE_HOME")) previousState_ = old;
        setenv("XDG_STATE_HOME", (folder_ + "/state").c_str(), 1);
    }
    ~TempConfigHome() {
        if (previous_) setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        if (previousState_) setenv("XDG_STATE_HOME", previousState_->c_str(), 1);
        else unsetenv("XDG_STATE_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempConfigHome(const TempConfigHome &) = delete;
    TempConfigHome &operator=(const TempConfigHome &) = delete;

    const std::string &Folder() const { return folder_; }
    std::string StoreFolder() const { return folder_ + "/valtrosa"; }
    std::string StorePath() const { return StoreFolder() + "/registry.sqlite"; }

    static std::string ReadFile(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Writes a file of this user with mode 0600, as the settings store wants its file.
    static void WriteFile(const std::string &path, const std::string &bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }

private:
    std::string folder_;
    std::optional<std::string> previous_;
    std::optional<std::string> previousState_;
};
