#pragma once
// What the window tests share: wx started once per test program on the test's main thread
// (which becomes the UI thread, draining the UI queue), a pump that runs the event loop
// until a condition holds (bounded), and ending a modal run from inside it.

#include <chrono>
#include <functional>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/toplevel.h>

#include "ui/ui_thread.h"

inline void EnsureWx() {
    static bool started = false;
    if (started) return;
    started = true;
    static int argc = 1;
    static char name[] = "gui_test";
    static char *argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run under xvfb-run";
    ASSERT_TRUE(wxTheApp->CallOnInit());
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
        if (auto *d = wxDynamicCast(w, wxDialog); d && d->IsModal()) return d;
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
