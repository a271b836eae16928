// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/registry_settings.h"

#include <string>

#include "foundation/code_page.h"
#include "foundation/registry.h"

#include "foundation/settings_keys.h"

namespace {

constexpr const char16_t *kNarreloKey = settings_keys::Narrelo;
constexpr const char16_t *kMakerKey = settings_keys::Maker;
constexpr const char16_t *kInterfaceIsEnglish = settings_keys::InterfaceIsEnglish;

}  // namespace

int32_t ReadInterfaceIsEnglish() {
    TRegistry registry(HKEY_CURRENT_USER, kNarreloKey);
    if (!registry.OpenIfExists()) return 0;
    return registry.ValueExists(kInterfaceIsEnglish) ? registry.ReadInt(kInterfaceIsEnglish) : 0;
}

void WriteInterfaceIsEnglish(int32_t value) {
    TRegistry registry(HKEY_CURRENT_USER, kNarreloKey);
    registry.CreateIfMissing = true;
    registry.WriteInt(kInterfaceIsEnglish, value);
}

MyString ReadMakerSetting(const char16_t *name) {
    TRegistry registry(HKEY_CURRENT_USER, kMakerKey);
    if (!registry.OpenIfExists()) return MyString("");
    return registry.ValueExists(name) ? registry.ReadString(name) : MyString("");
}

MyString ReadMakerSetting(const char *name) {
    const std::u16string wide = cp1254::ToUtf16(name ? name : "");
    return ReadMakerSetting(wide.c_str());
}
