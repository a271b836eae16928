// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_app.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/toplevel.h>

#include "app/form_commercial_tts.h"
#include "app/form_login.h"
#include "foundation/cmd_parameters.h"
#include "foundation/host.h"
#include "foundation/thread.h"
#include "platform/instance_bell.h"
#include "platform/single_instance.h"
#include "ui/ui_thread.h"

bool CNarreloApp::OnInit() {
    TSingleInstanceMarker marker("Narrelo4");
    anotherCopy_ = marker.AnotherCopyRuns();
    // The copy that runs comes to the front; this one ends.
    if (anotherCopy_) {
        TInstanceBell::Ring("Narrelo4");
        return false;
    }

    SetVendorName("Local AppWizard-Generateaad Applications");
    SetAppName("Narrelo");
    SetMainThreadId(std::this_thread::get_id());
    AttachUiQueue();
    // The program's host, installed once: message boxes are wx dialogs over the main window
    // (the owner is looked up on the UI thread only). Never destroyed: a reading's thread
    // may still be asking it something when the process ends.
    static TFormCommercialTTS *mainForm = nullptr;
    static TWxHost *host = new TWxHost(
        []() -> wxWindow * { return mainForm && mainForm->HasWindow() ? mainForm->Window() : nullptr; },
        "Narrelo");
    InstallHost(host);
    // A second copy rang: the window (or the dialog in front of it) comes to the front.
    TInstanceBell bell("Narrelo4", [] {
        Host().Post([] {
            for (wxWindow *window : wxTopLevelWindows) {
                auto *top = dynamic_cast<wxTopLevelWindow *>(window);
                if (!top || !top->IsShown()) continue;
                top->Iconize(false);
                top->Raise();
                top->RequestUserAttention();
            }
        });
    });
    {
        TFormCommercialTTS form;
        mainForm = &form;
        // `narrelo --login`: log in first; the readings use the same client and session.
        if (HasParameter("--login")) RunLoginDialog(form.Client);
        form.ShowModal();
        mainForm = nullptr;
        // The window is gone and the user is done: whatever a reading's thread may still be
        // waiting for (a connection to a service that does not answer), the process ends
        // within this grace (the typed text is kept first thing as the form goes), so it
        // never lives on without a window, holding the sound device and the single-instance
        // marker.
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            EndProcessNow(0);
        }).detach();
    }  // the form's end stops a running reading
    // Nobody answers dialogs any more: what a late thread still says goes to standard error.
    InstallHost(nullptr);
    DetachUiQueue();
    return false;
}

int RunNarrelo(int argc, char **argv) {
    // A display server that is busy (a session still starting, many programs connecting at
    // once) now and then refuses a connection it accepts a moment later: try a few times
    // before telling the user. Without any display named, once is enough.
    const char *x = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
    const int attempts = (x && *x) || (wayland && *wayland) ? 5 : 1;
    // wx logs a refused start; while trying, that goes to standard error, since a log of the
    // GUI kind would keep it and show it in an error box once a later attempt succeeds.
    wxLog *guiLog = wxLog::SetActiveTarget(new wxLogStderr());
    bool up = false;
    for (int attempt = 0; attempt < attempts && !up; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(400));
        wxApp::SetInstance(new CNarreloApp);
        up = wxEntryStart(argc, argv);
    }
    delete wxLog::SetActiveTarget(guiLog);
    if (!up) {
        std::fprintf(stderr, "narrelo: cannot open the display\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxEntryCleanup();
    return 0;
}
