// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/exceptions.h"
#include "platform/settings_store_text.h"

namespace fs = std::filesystem;

namespace {

fs::path DataRoot() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || executable.empty()) RaiseError(TErrorCategory::InputOutput, "SHGetSpecialFolderPath error");
    return DataRootFor(executable.string());
}

}  // namespace

std::string DataRootFor(const std::string &executablePath) {
    std::error_code error;
    const fs::path folder = fs::path(executablePath).parent_path();
    // The installed layout first: a tree installed below a build folder (a staging prefix)
    // must use its own data, not the build tree's.
    const fs::path besideBin = folder.parent_path() / "share";
    if (fs::is_directory(besideBin / NarreloDataSubFolder, error)) return besideBin.string();
    for (fs::path ancestor = folder; !ancestor.empty(); ancestor = ancestor.parent_path()) {
        if (fs::exists(ancestor / "CMakeCache.txt", error)) {
            if (fs::is_directory(ancestor / "share", error)) return (ancestor / "share").string();
            break;  // a build tree without staged data: fall back to the installed root
        }
        if (ancestor == ancestor.root_path()) break;
    }
    return (folder.parent_path() / "share").string();
}

MyString TempFolder() {
    const char *tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp/";
    if (folder.back() != '/') folder += '/';
    return MyString::FromUtf8(folder);
}

void CommonFilesFolder(TWideBuffer &buffer) {
    const std::u16string wide = settings_text::FromUtf8(DataRoot().string());
    SetWide(buffer, wide.c_str(), int32_t(wide.size()));
}

MyString NarreloDataFolder() {
    return MyString::FromUtf8((DataRoot() / NarreloDataSubFolder).string());
}
