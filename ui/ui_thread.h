// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wx side of the UI thread: the queue of calls that worker threads post or send
// (platform/ui_queue.h) drained by the wx event loop, and the window program's host
// (foundation/host.h), whose message box is a wx dialog.
//
// AttachUiQueue (on the UI thread, once wx is up) makes this thread the queue's owner and
// the program's main thread, and installs a wake-up handler that asks wx for one CallAfter
// per burst of queued items; the call runs every queued closure. A quit request found there
// runs `onQuit` (by default it ends wx's main loop). DetachUiQueue removes the handler
// (before wx goes down); closures still queued then wait for ProcessMessages.
//
// TWxHost shows ShowMessageBox's texts in a wx message dialog, owned by the main window
// when there is one and captioned with the application's title. A call from another thread
// is carried to the UI thread (the host's Send) and the calling thread waits for the answer;
// the UI thread answers it from its event loop or while it waits for that thread (WaitFor,
// ProcessMessages), so neither side deadlocks. A file to open is chosen in a wx file dialog.
// The rest of the seam is the default host's.

#include <functional>
#include <string>

#include "foundation/host.h"
#include "foundation/message_box.h"

class wxWindow;

void AttachUiQueue(std::function<void()> onQuit = nullptr);
void DetachUiQueue();

// Shows the dialog on the UI thread and returns IDOK, IDYES or IDNO.
using TMessageDialogShower =
    std::function<int(wxWindow *owner, const std::string &caption, const char *text, int style)>;

// The default shower: a wx message dialog (OK, or Yes/No), text converted from Windows-1254.
int ShowWxMessageDialog(wxWindow *owner, const std::string &caption, const char *text, int style);

class TWxHost : public THost {
public:
    // `mainWindow` names the owner at the time of the call (null: none); `caption` is
    // Windows-1254. `show` replaces the dialog (tests).
    TWxHost(std::function<wxWindow *()> mainWindow, std::string caption,
            TMessageDialogShower show = ShowWxMessageDialog);

    int ShowMessage(const char *text, int style) override;
    // A wx file dialog (TFileDialog, ui/file_dialog.h).
    bool ChooseFileToOpen(const char *folder, const char *defaultExtension, std::string &chosen) override;

private:
    const std::function<wxWindow *()> mainWindow_;
    const std::string caption_;
    const TMessageDialogShower show_;
};
