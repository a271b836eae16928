// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNarreloApp: the application object. Its initialisation is the whole program: it makes
// sure no other copy runs for this user (the marker "Narrelo4"; a second copy ends at once
// and silently, leaving the first untouched), runs the main reading form modally (with
// `--login`, the login dialog first, logging in the form's service client), destroys
// it (which stops a running reading) and returns false, so that no application loop
// follows and the process ends.

#include <wx/app.h>

class CNarreloApp : public wxApp {
public:
    bool OnInit() override;
    // Whether the last OnInit found another copy running.
    bool AnotherCopyRan() const { return anotherCopy_; }

private:
    bool anotherCopy_ = false;
};

// The program: sets up wx without its main loop, runs CNarreloApp's initialisation and
// takes wx down again. Returns the process's exit code: 0, or 1 when wx cannot start (no
// display), after saying so on standard error.
int RunNarrelo(int argc, char **argv);
