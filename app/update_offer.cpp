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

}  // namespace

void FindServerAndOfferUpdate(TDemoClientBase &client, MyString &serverAddress) {
    TUpdateDecision decision = FindServerAndCheckForUpdate(client, serverAddress);
    if (!decision.UpdateRequired()) return;
    if (ShowMessageBox(UpdateFoundText, MB_YESNO) != IDYES)
        RaiseError(TErrorCategory::Refused, UpdateRefusedText);

    const MyString path = InstallerFileName();
    DownloadInstaller(decision, path.Text());
    ShowMessageBox(UpdateDownloadedText, MB_OK);
    Host().StartInstaller(path.Text());
    EndProcessNow(0);
}
