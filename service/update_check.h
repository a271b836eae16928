// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Read command does before it starts a reading: find the speech service, point the
// client at it, and learn whether the service still accepts this client. The service layer
// only finds out and fetches: it neither asks the user nor ends the process. When the
// service asks for a newer client, the program (app/update_offer.h) asks the user, has the
// installer (a Debian package) downloaded here into the temporary folder, hands it to the
// host and ends the process so that the package can replace the program. Runs on the thread
// that then uses the client (a reading's thread, before its first call), never on the UI
// thread: a service that does not answer must not freeze the window.

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/my_string.h"

class TDemoClientBase;

// The service's word on this client: no update needed, or an update is required and the
// installer is at SetupAddress().
class TUpdateDecision {
public:
    // No update needed.
    TUpdateDecision() = default;
    // An update is required; the installer's address is asked of `client`, which must
    // outlive the decision.
    explicit TUpdateDecision(TDemoClientBase &client) : client_(&client) {}

    bool UpdateRequired() const { return client_ != nullptr; }
    // The installer's address (the client's GetSetupUrl), asked of the service on the first
    // call only: an update the user declines costs the service no request. Raises the
    // client's exceptions; only when UpdateRequired.
    MyString SetupAddress();
    // The Unix socket of the client's service ("unix:" endpoint), or "".
    std::string UnixSocket() const;

private:
    TDemoClientBase *client_ = nullptr;
    std::optional<MyString> address_;
};

// 1. FindServerAddress with a fresh lookup into `serverAddress`; the client's endpoint is
//    set to its text (the caller keeps `serverAddress` alive and unchanged while the client
//    is used).
// 2. CheckUpdateRequired (cached by the client after its first success) decides.
// Raises the client's exceptions.
TUpdateDecision FindServerAndCheckForUpdate(TDemoClientBase &client, MyString &serverAddress);

// The largest installer taken; a bigger download fails (and is removed).
inline constexpr int64_t MaxInstallerBytes = int64_t(256) << 20;

// Downloads the installer at `decision`'s SetupAddress (asked after `path` is made ready)
// into `path`, a new file that belongs to the user alone: any file of that name is replaced,
// and one the user may not remove (another user's, in a shared temporary folder) makes the
// download fail with "File Not Opened %s" instead of writing through it. Failures raise the
// program's exceptions: the client's, "File Not Opened %s", TWinInetException for a download
// that fails or answers an HTTP error status. When no complete installer was written, the
// file is removed again, so a broken download is never taken for an installer. At most
// MaxInstallerBytes are taken, and the file must be a Debian package (else "The downloaded
// file is not an installer (a Debian package)"). An address on the client's own service
// (http://localhost/... while the client talks to a "unix:" socket) is fetched over that
// socket.
void DownloadInstaller(TUpdateDecision &decision, const char *path);

// "Narrelo_LastSetup.deb" in the user's private runtime folder (platform/user_runtime.h):
// no other user can see, plant or block it, as one could with a name in the shared /tmp.
// Raises (InputOutput) when the user has no private folder.
MyString InstallerFileName();
