// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two folders the program asks the system for.

#include <string>

#include "foundation/my_string.h"

// The temporary folder with its trailing '/': $TMPDIR when set and not empty, else "/tmp/".
// 8-bit text (a character outside Windows-1254 would become '?'). Never fails.
MyString TempFolder();

// The shared data root, as UTF-16 in a wide text buffer (see my_string.h):
// - <prefix>/share when it holds the product's data folder, where <prefix> is the folder
//   above the executable's folder: an installed tree, wherever it was installed or moved;
// - else, for a program run from a build tree (an ancestor folder of the executable holds
//   CMakeCache.txt), that tree's staged copy <build>/share when it exists;
// - otherwise <prefix>/share all the same.
// Raises "SHGetSpecialFolderPath error" when the executable's own path cannot be found.
void CommonFilesFolder(TWideBuffer &buffer);

// The rule of CommonFilesFolder for a given executable path (UTF-8 in and out); exposed for
// tests.
std::string DataRootFor(const std::string &executable);

// The product's data folder below the shared root, "narrelo" (warn.wav, XML/, web/), as
// 8-bit text without a trailing separator.
inline constexpr const char *NarreloDataSubFolder = "narrelo";
MyString NarreloDataFolder();
