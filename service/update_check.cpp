// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/update_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/file_stream.h"
#include "foundation/folders.h"
#include "platform/user_runtime.h"
#include "service/demo_client_base.h"
#include "service/http_get.h"
#include "service/local_service.h"
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

// Whether the file at `path` begins as a Debian package does: an ar archive whose first
// member is "debian-binary". Anything else is not handed to the package installer.
bool IsDebianPackage(const char *path) {
    const int fd = open(cp1254::ToUtf8(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    char head[8 + 16] = {};
    const ssize_t got = read(fd, head, sizeof head);
    close(fd);
    return got == ssize_t(sizeof head) && std::string_view(head, 8) == "!<arch>\n" &&
           std::string_view(head + 8, 13) == "debian-binary";
}

}  // namespace

MyString TUpdateDecision::SetupAddress() {
    if (!address_) address_ = client_->GetSetupUrl();
    return *address_;
}

std::string TUpdateDecision::UnixSocket() const {
    return client_ != nullptr ? UnixSocketOf(client_->soap_endpoint) : std::string();
}

void DownloadInstaller(TUpdateDecision &decision, const char *path) {
    CreateOwnFile(path);
    TFileStream file(path, "wb+");
    try {
        file.SetActive(true);
        const MyString url = decision.SetupAddress();
        // The user's own service names its pages as http://localhost/...: they are on its
        // socket, as the service itself is.
        const std::string_view text = url.View();
        const bool onServiceSocket = text.rfind("http://localhost/", 0) == 0;
        HTTPGetToStream(file, url.Text(), onServiceSocket ? decision.UnixSocket() : std::string(),
                        MaxInstallerBytes);
        file.CloseAfterWriting();
        if (!IsDebianPackage(path))
            RaiseError(TErrorCategory::Format, "The downloaded file is not an installer (a Debian package)");
    } catch (...) {
        file.SetActive(false);
        unlink(cp1254::ToUtf8(path).c_str());
        throw;
    }
}

MyString InstallerFileName() {
    std::string error;
    const std::string folder = UserRuntimeFolder(error);
    if (folder.empty()) RaiseError(TErrorCategory::InputOutput, cp1254::FromUtf8(error).c_str());
    return MyString(cp1254::FromUtf8(folder + "/Narrelo_LastSetup.deb").c_str());
}

TUpdateDecision FindServerAndCheckForUpdate(TDemoClientBase &client, MyString &serverAddress) {
    ServerAddressLookup lookup;
    FindServerAddress(lookup, serverAddress);
    client.soap_endpoint = serverAddress.Text();
    return client.CheckUpdateRequired() ? TUpdateDecision(client) : TUpdateDecision();
}
