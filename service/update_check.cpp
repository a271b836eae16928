// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/update_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/file_stream.h"
#include "foundation/folders.h"
#include "foundation/message_box.h"
#include "foundation/shell.h"
#include "service/demo_client_base.h"
#include "service/http_get.h"
#include "service/server_discovery.h"

namespace {

constexpr const char *UpdateFoundText =
    "Programınız için yeni bir güncelleme bulundu, şimdi yüklemek istermisiniz ?.\r\n\r\n"
    "Update Found for your program. Are you want to update now."_cp;
constexpr const char *UpdateRefusedText =
    "Güncelllemeyi yüklemeden programınızı kullanmaya devam edemessiniz.\r\n\r\n"
    "You can not continue to use program if you dont update it."_cp;
constexpr const char *UpdateDownloadedText =
    "Güncelleme alındı. Şimdi Programınız kapatılacak ve güncelleme yüklenecek. Lütfen "
    "güncelleme işlemi bitene kadar program açmayınız ve bekleyiniz.\r\n\r\n"
    "Update downloaded. Update will configure your environment now."_cp;

TInstallerStarter &InstallerStarter() {
    static TInstallerStarter starter;
    return starter;
}

TProcessEnder &ProcessEnder() {
    static TProcessEnder ender;
    return ender;
}

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

// Writes the installer into `path`; on any failure the file is removed before the
// exception leaves.
void DownloadInstaller(TDemoClientBase &client, const char *path) {
    CreateOwnFile(path);
    TFileStream file(path, "wb+");
    try {
        file.SetActive(true);
        const MyString url = client.GetSetupUrl();
        HTTPGetToStream(file, url.Text());
        file.CloseAfterWriting();
    } catch (...) {
        file.SetActive(false);
        unlink(cp1254::ToUtf8(path).c_str());
        throw;
    }
}

}  // namespace

MyString InstallerFileName() {
    const MyString folder = TempFolder();
    return MyString::MakeStr("%sNarrelo_LastSetup.deb", folder.Text());
}

void FindServerAndCheckForUpdate(TDemoClientBase &client, MyString &serverAddress) {
    ServerAddressLookup lookup;
    FindServerAddress(lookup, serverAddress);
    client.soap_endpoint = serverAddress.Text();

    if (!client.CheckUpdateRequired()) return;
    if (ShowMessageBox(UpdateFoundText, MB_YESNO) != IDYES) RaiseError(UpdateRefusedText);

    const MyString path = InstallerFileName();
    DownloadInstaller(client, path.Text());
    ShowMessageBox(UpdateDownloadedText, MB_OK);

    if (InstallerStarter()) InstallerStarter()(path.Text());
    else ShellOpen(path.Text());
    if (ProcessEnder()) ProcessEnder()(0);
    std::_Exit(0);  // also when a replaced handler returns: the reading must not start
}

TInstallerStarter SetInstallerStarter(TInstallerStarter starter) {
    TInstallerStarter previous = std::move(InstallerStarter());
    InstallerStarter() = std::move(starter);
    return previous;
}

TProcessEnder SetProcessEnder(TProcessEnder ender) {
    TProcessEnder previous = std::move(ProcessEnder());
    ProcessEnder() = std::move(ender);
    return previous;
}
