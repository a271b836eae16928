// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window tests share: wx started once per test program on the test's main thread
// (which becomes the UI thread, draining the UI queue), a pump that runs the event loop
// until a condition holds (bounded), and ending a modal run from inside it.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/toplevel.h>

#include "ui/ui_thread.h"

inline void EnsureWx() {
    static bool started = false;
    if (started) return;
    started = true;
    static int argc = 1;
    static char name[] = "gui_test";
    static char *argv[] = {name, nullptr};
    // Under a bare X server there is no session bus and no accessibility bus: say so, or GTK
    // may wait for them while it starts (scripts/test.sh sets the same).
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    // What wx logs while it starts (a refused X connection before a retry) goes to stderr: the
    // GUI log target would show it in a modal box that nobody in a test answers.
    wxLog::DontCreateOnDemand();
    delete wxLog::SetActiveTarget(new wxLogStderr());
    // A busy X server now and then refuses a connection: try again before giving up, and
    // then end the program, since a failed suite set-up would only count as skipped.
    bool up = false;
    for (int attempt = 0; attempt < 5 && !up; ++attempt) {
        if (attempt > 0) wxMilliSleep(500);
        wxApp::SetInstance(new wxApp);
        up = wxEntryStart(argc, argv);
    }
    if (!up || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start wx: no display? run under xvfb-run\n");
        std::exit(1);
    }
    AttachUiQueue();
}

// Runs the event loop until `done` holds or `seconds` pass; returns whether it held.
inline bool PumpUntil(const std::function<bool()> &done, double seconds = 5) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
    return true;
}

// Lets pending layout, paint and deferred deletions happen.
inline void Pump() {
    for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
}

// The dialog currently running modally, or null.
inline wxDialog *ModalDialog() {
    for (wxWindow *w : wxTopLevelWindows)
        if (auto *d = dynamic_cast<wxDialog *>(w); d && d->IsModal()) return d;
    return nullptr;
}

// Once a modal dialog runs, calls `act` with it (from inside its loop). Polls the loop, so
// it may be set up before the modal run starts.
inline void WhenModal(std::function<void(wxDialog *)> act, int attemptsLeft = 2000) {
    wxTheApp->CallAfter([act, attemptsLeft] {
        if (wxDialog *d = ModalDialog()) return act(d);
        if (attemptsLeft > 0) {
            wxMilliSleep(1);
            WhenModal(act, attemptsLeft - 1);
        }
    });
}

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureWx(); }
    void TearDown() override { Pump(); }
};
