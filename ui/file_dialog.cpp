// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_dialog.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "ui/wx_text.h"

TFileDialog::TFileDialog() { DefaultExt.Assign("xml"); }

bool TFileDialog::Execute() {
    // The path leaves as UTF-8 bytes of the file system converted to Windows-1254, like
    // every other text inside the program.
    wxFileDialog dialog(nullptr, wxFileSelectorPromptStr, WideToWx(InitialDir), wxString(),
                        wxFileSelectorDefaultWildcardStr, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return false;
    wxString path = dialog.GetPath();
    if (!path.empty() && wxFileName(path).GetExt().empty()) path += "." + ToWx(DefaultExt);
    FileName.Assign(FromWx(path).c_str());
    return true;
}
