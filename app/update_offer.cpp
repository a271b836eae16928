// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update_offer.h"

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/host.h"
#include "foundation/message_box.h"
#include "service/update_check.h"

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

constexpr const char *UpdateByPackageManagerText =
    "Bu programın daha yeni bir sürümü gerekiyor. Lütfen Narrelo'yu sisteminizin paket "
    "yöneticisiyle güncelleyin (örneğin \"sudo apt update && sudo apt upgrade\" komutuyla ya da "
    "yazılım güncelleme aracıyla).\r\n\r\n"
    "A newer version of this program is needed. Please update Narrelo with your system's "
    "package manager (for example \"sudo apt update && sudo apt upgrade\", or the software "
    "updater)."_cp;

}  // namespace

TUpdatePath BuiltUpdatePath() {
#if NARRELO_DISTRIBUTION_PACKAGE
    return TUpdatePath::PackageManager;
#else
    return TUpdatePath::Download;
#endif
}

void FindServerAndOfferUpdate(TDemoClientBase &client, MyString &serverAddress, TUpdatePath path) {
    TUpdateDecision decision = FindServerAndCheckForUpdate(client, serverAddress);
    if (!decision.UpdateRequired()) return;
    // A packaged program is replaced by the package manager alone: nothing is downloaded or
    // opened here, the user is told how to update.
    if (path == TUpdatePath::PackageManager) RaiseError(TErrorCategory::Refused, UpdateByPackageManagerText);
    if (ShowMessageBox(UpdateFoundText, MB_YESNO) != IDYES)
        RaiseError(TErrorCategory::Refused, UpdateRefusedText);

    const MyString installer = InstallerFileName();
    DownloadInstaller(decision, installer.Text());
    ShowMessageBox(UpdateDownloadedText, MB_OK);
    Host().StartInstaller(installer.Text());
    EndProcessNow(0);
}
