// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The update a speech service demands, offered to the user before a reading starts. Runs on
// the reading's thread (before the client's first call), never on the UI thread: a service
// that does not answer must not freeze the window. Its questions reach the UI thread as
// message boxes through the host (foundation/host.h).

#include "foundation/my_string.h"

class TDemoClientBase;

// How this build is updated: by downloading the service's installer (a build from source),
// or only by the system's package manager (a build made for a distribution package, the
// CMake option NARRELO_DISTRIBUTION_PACKAGE, which the Debian rules set).
enum class TUpdatePath { Download, PackageManager };
TUpdatePath BuiltUpdatePath();

// FindServerAndCheckForUpdate (service/update_check.h). When no update is needed it
// returns, and the reading goes on. With `path` PackageManager an update demand raises (category
// Refused) a message in both languages that a newer version is needed and is installed with
// the system's package manager; nothing is downloaded or opened. Otherwise:
// 1. Asks whether to update now (Yes/No); any answer but Yes raises the refusal (category
//    Refused), and the question comes again at the next Read.
// 2. Downloads the installer into InstallerFileName(), shows the notice that the program now
//    closes, has the host start the installer and ends the process with exit code 0 (also
//    when the host's ender returns: the reading must not start).
// Failures raise the program's exceptions (those of the check, the download and the host's
// installer start); a failed download starts nothing.
void FindServerAndOfferUpdate(TDemoClientBase &client, MyString &serverAddress,
                              TUpdatePath path = BuiltUpdatePath());
