// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// THost: the one seam between the program and what surrounds it, the person at it and the
// process it runs in. Every layer that must ask the user something (a question, a notice, a
// file to open), hand work to the UI
// thread, let that thread serve its queue, open a document or an address on the desktop,
// start an installer or end the process does so through Host(), and nowhere else.
//
// Each program installs its host once at its start (the window's shows wx dialogs,
// narrelo-say's writes its messages beside the progress line); tests install one fake
// (tests/support/fake_host.h) that records and answers instead. Without one installed, the
// default host below serves: the console program's behaviour.
//
// Every member may be called from any thread unless it says otherwise; a host must be
// thread-safe accordingly. The installed host must outlive its installation.

#include <functional>
#include <string>

class THost {
public:
    THost() = default;
    virtual ~THost() = default;
    THost(const THost &) = delete;
    THost &operator=(const THost &) = delete;

    // Shows `text` (8-bit Windows-1254, never null) modally with the style MB_OK or
    // MB_YESNO (foundation/message_box.h) and returns the button pressed: IDOK, IDYES or
    // IDNO. Blocks the calling thread until answered. The default writes the text (as
    // UTF-8) to standard error and answers a Yes/No question with IDNO, since nobody
    // consented; an OK box answers IDOK.
    virtual int ShowMessage(const char *text, int style);

    // Asks the user for an existing file to open, starting in `folder` (Windows-1254; empty:
    // wherever the dialog likes). A name chosen without an extension gets
    // `defaultExtension`. Returns true with the full path (Windows-1254) in `chosen`, false
    // when the user cancels. UI thread. The default, with nobody to ask, returns false.
    virtual bool ChooseFileToOpen(const char *folder, const char *defaultExtension, std::string &chosen);

    // Queues `closure` to run on the UI thread and returns at once (platform/ui_queue.h:
    // the closure must not throw). The default posts to UiQueue().
    virtual void Post(std::function<void()> closure);
    // Runs `closure` on the UI thread and returns when it has run, passing on its
    // exception; on the UI thread itself (or while there is none) it runs at once. The
    // default sends through UiQueue().
    virtual void Send(const std::function<void()> &closure);
    // On the UI thread: runs every closure waiting for it, including those queued
    // meanwhile; a quit request found there is dropped (it never ends the program from
    // here). On any other thread it returns at once. Exceptions of the closures pass
    // through.
    virtual void ProcessMessages();

    // Hands `utf8Target` (a file or an address) to the desktop's default program. Returns 0
    // when the opener was started, else the errno value of the failure; whatever the opener
    // makes of the target counts as success. The default: OpenWithDefaultProgram
    // (platform/default_program.h).
    virtual int OpenDocument(const std::string &utf8Target);

    // Starts the downloaded installer at `path` (Windows-1254) so that it can replace the
    // program once this process has ended. Raises the program's exceptions when it cannot
    // be started. The default hands the package to the desktop as ShellOpen does.
    virtual void StartInstaller(const char *path);

    // Ends the process at once with `exitCode`: no window is closed and no clean-up runs
    // (the default: std::_Exit). A host whose EndProcess returns or throws does not save the
    // caller of EndProcessNow: a return still ends the process (a test's fake throws).
    virtual void EndProcess(int exitCode);
    // Replaces this process with a new run of the same program with the same arguments (the
    // executable and the command line as the system recorded them); descriptors opened
    // close-on-exec, the single-instance marker among them, go with the old image. The
    // default returns only when the new run could not be started.
    virtual void RestartProcess();
};

// The installed host, or the default one.
THost &Host();

// Installs `host` (null: the default) and returns the one it replaces (null: the default).
THost *InstallHost(THost *host);

// Installs a host for the lifetime of this object and then puts the previous one back.
// Nested installations must end in the reverse order.
class TScopedHost {
public:
    explicit TScopedHost(THost &host) : previous_(InstallHost(&host)) {}
    ~TScopedHost() { InstallHost(previous_); }
    TScopedHost(const TScopedHost &) = delete;
    TScopedHost &operator=(const TScopedHost &) = delete;

private:
    THost *previous_;
};

// Host().ProcessMessages().
void ProcessMessages();

// Host().EndProcess(exitCode), and the process ends even when that returns.
[[noreturn]] void EndProcessNow(int exitCode);
// Host().RestartProcess(); when the new run cannot be started the process ends as
// EndProcessNow(0) does.
[[noreturn]] void RestartProcessNow();
