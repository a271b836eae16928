// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ui_thread.h"

#include <atomic>
#include <memory>
#include <thread>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>

#include "foundation/exceptions.h"
#include "foundation/thread.h"
#include "foundation/code_page.h"
#include "platform/ui_queue.h"
#include "ui/file_dialog.h"
#include "ui/wx_text.h"

namespace {

// Set by the wake-up handler when it has asked wx for a drain, cleared by the drain before
// it runs the queue: so one CallAfter serves a burst, and nothing queued after the clear is
// missed. Written by any thread.
std::atomic<bool> drainScheduled{false};
std::shared_ptr<std::function<void()>> quitAction;  // UI thread only

void Drain() {
    drainScheduled.store(false);
    TUiQueue &queue = UiQueue();
    if (!queue.OnOwnerThread()) return;
    bool quit = queue.QuitPending();
    // A posted closure must not throw; one of the program's exceptions that does anyway is
    // shown (as every handler of the UI does) instead of ending the event loop, and the
    // closures behind it still run.
    for (;;) {
        try {
            queue.RunPending(TUiQueue::TQuitHandling::Drop);
            break;
        } catch (const TCustomException &e) {
            e.Show();
        }
    }
    if (quit) {
        if (quitAction && *quitAction)
            (*quitAction)();
        else if (wxTheApp)
            wxTheApp->ExitMainLoop();
    }
}

}  // namespace

void AttachUiQueue(std::function<void()> onQuit) {
    quitAction = std::make_shared<std::function<void()>>(std::move(onQuit));
    SetMainThreadId(std::this_thread::get_id());
    TUiQueue &queue = UiQueue();
    queue.SetOwnerThread(std::this_thread::get_id());
    queue.SetWakeUpHandler([] {
        if (drainScheduled.exchange(true)) return;
        if (wxAppConsole *app = wxAppConsole::GetInstance()) app->CallAfter(&Drain);
    });
    // Items queued before the handler was there.
    if (queue.HasWork() || queue.QuitPending()) {
        drainScheduled.store(true);
        wxTheApp->CallAfter(&Drain);
    }
}

void DetachUiQueue() {
    UiQueue().SetWakeUpHandler(nullptr);
    drainScheduled.store(false);
}

int ShowWxMessageDialog(wxWindow *owner, const std::string &caption, const char *text, int style) {
    long wxStyle = style == MB_YESNO ? (wxYES_NO | wxICON_QUESTION) : (wxOK | wxICON_INFORMATION);
    wxMessageDialog dialog(owner, ToWx(text), ToWx(caption), wxStyle | wxCENTRE);
    int answer = dialog.ShowModal();
    if (style == MB_YESNO) return answer == wxID_YES ? IDYES : IDNO;
    return IDOK;
}

TWxHost::TWxHost(std::function<wxWindow *()> mainWindow, std::string caption, TMessageDialogShower show)
    : mainWindow_(std::move(mainWindow)), caption_(std::move(caption)), show_(std::move(show)) {}

int TWxHost::ShowMessage(const char *text, int style) {
    const std::string copy(text);  // the caller's text stays valid: it waits; copied anyway
    int answer = IDOK;
    Send([&] {
        wxWindow *owner = mainWindow_ ? mainWindow_() : nullptr;
        answer = show_(owner, caption_, copy.c_str(), style);
    });
    return answer;
}

bool TWxHost::ChooseFileToOpen(const char *folder, const char *defaultExtension, std::string &chosen) {
    TFileDialog dialog;
    dialog.InitialDir = cp1254::ToUtf16(folder);
    dialog.DefaultExt.Assign(defaultExtension);
    if (!dialog.Execute()) return false;
    chosen = dialog.FileName.Text();
    return true;
}
