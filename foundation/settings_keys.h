// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every key and value name the programs keep in the current user's settings store, in one
// place, so that a reader and a writer of one setting cannot drift apart. Keys are paths
// below HKEY_CURRENT_USER; value names compare without regard to case.

namespace settings_keys {

// The maker's key, shared by the maker's programs.
inline constexpr const char16_t *Maker = u"Software\\Valtrosa";
//   REG_SZ, the speech service's address (also given as DemoServer= on the command line).
inline constexpr const char16_t *DemoServer = u"DemoServer";

// The reading window's own key.
inline constexpr const char16_t *Narrelo = u"Software\\Valtrosa\\Narrelo";
//   REG_DWORD, 1: the interface is in English.
inline constexpr const char16_t *InterfaceIsEnglish = u"InterfaceIsEnglish";

// The service account's key.
inline constexpr const char16_t *Account = u"Software\\Valtrosa\\Quellar\\Narrelo";
//   REG_SZ, the identifier the service gave this installation.
inline constexpr const char16_t *ClientID = u"ClientID";
//   REG_SZ, the log-in typed last (plain text: the store is the user's own file, mode 0600).
inline constexpr const char16_t *UserName = u"UserName";
inline constexpr const char16_t *Password = u"Password";

}  // namespace settings_keys
