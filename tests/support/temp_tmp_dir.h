// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh, empty folder set as TMPDIR (the program's temporary folder) for the lifetime of
// the object; the previous value is restored and the folder removed afterwards.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

class TempTmpDir {
public:
    TempTmpDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "narrelo-tmp-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        if (const char *old = getenv("TMPDIR")) previous_ = old;
        setenv("TMPDIR", folder_.c_str(), 1);
    }
    ~TempTmpDir() {
        if (previous_) setenv("TMPDIR", previous_->c_str(), 1);
        else unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempTmpDir(const TempTmpDir &) = delete;
    TempTmpDir &operator=(const TempTmpDir &) = delete;

    const std::string &Folder() const { return folder_; }
    // Where the update check puts a downloaded installer.
    std::string Installer() const { return folder_ + "/Narrelo_LastSetup.deb"; }

private:
    std::string folder_;
    std::optional<std::string> previous_;
};
