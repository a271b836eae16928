// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFileDialog: the open-file dialog for XML files. Default extension "xml", no initial file
// name, no filter, no owner window. Built on the caller's stack for one run.

#include <string>

#include "foundation/my_string.h"

class TFileDialog {
public:
    TFileDialog();
    // Runs the dialog modally (starting in InitialDir when it is not empty). On OK stores
    // the chosen full path in FileName (Windows-1254) and returns true; otherwise false.
    bool Execute();

    MyString DefaultExt;      // "xml"
    MyFileName FileName;      // the chosen path after a successful run
    std::u16string InitialDir;
};
