// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/update_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/file_stream.h"
#include "foundation/folders.h"
#include "service/demo_client_base.h"
#include "service/http_get.h"
#include "service/server_discovery.h"

namespace {

// A new, empty file at `path` that only the user can write. Whatever had that name goes
// first; a name the user may not remove, or one that reappears in between (a link planted
// in a shared temporary folder), is refused instead of written through.
void CreateOwnFile(const char *path) {
    const std::string name = cp1254::ToUtf8(path);
    const bool removed = unlink(name.c_str()) == 0 || errno == ENOENT;
    const int file =
        removed ? open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600) : -1;
    if (file < 0) RaiseError("File Not Opened %s", path);
    close(file);
}

}  // namespace

MyString TUpdateDecision::SetupAddress() {
    if (!address_) address_ = client_->GetSetupUrl();
    return *address_;
}

void DownloadInstaller(TUpdateDecision &decision, const char *path) {
    CreateOwnFile(path);
    TFileStream file(path, "wb+");
    try {
        file.SetActive(true);
        const MyString url = decision.SetupAddress();
        HTTPGetToStream(file, url.Text());
        file.CloseAfterWriting();
    } catch (...) {
        file.SetActive(false);
        unlink(cp1254::ToUtf8(path).c_str());
        throw;
    }
}

MyString InstallerFileName() {
    const MyString folder = TempFolder();
    return MyString::MakeStr("%sNarrelo_LastSetup.deb", folder.Text());
}

TUpdateDecision FindServerAndCheckForUpdate(TDemoClientBase &client, MyString &serverAddress) {
    ServerAddressLookup lookup;
    FindServerAddress(lookup, serverAddress);
    client.soap_endpoint = serverAddress.Text();
    return client.CheckUpdateRequired() ? TUpdateDecision(client) : TUpdateDecision();
}
