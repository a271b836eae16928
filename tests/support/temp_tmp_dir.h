// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh, empty folder set as TMPDIR (the program's temporary folder) for the lifetime of
// the object, with XDG_RUNTIME_DIR unset, so that the user's private folder is
// TMPDIR/narrelo-<uid>; the previous values are restored and the folder removed afterwards.

#include <stdlib.h>
#include <unistd.h>

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
        if (const char *old = getenv("XDG_RUNTIME_DIR")) previousRuntime_ = old;
        unsetenv("XDG_RUNTIME_DIR");
    }
    ~TempTmpDir() {
        if (previous_) setenv("TMPDIR", previous_->c_str(), 1);
        else unsetenv("TMPDIR");
        if (previousRuntime_) setenv("XDG_RUNTIME_DIR", previousRuntime_->c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempTmpDir(const TempTmpDir &) = delete;
    TempTmpDir &operator=(const TempTmpDir &) = delete;

    const std::string &Folder() const { return folder_; }
    // The user's private folder there, and where the update check puts a downloaded
    // installer in it.
    std::string Private() const { return folder_ + "/narrelo-" + std::to_string(::geteuid()); }
    std::string Installer() const { return Private() + "/Narrelo_LastSetup.deb"; }

private:
    std::string folder_;
    std::optional<std::string> previous_;
    std::optional<std::string> previousRuntime_;
};
