// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the speech service is. Before each reading the caller asks FindServerAddress with a
// fresh ServerAddressLookup; the answer comes, in this fixed order, from
//   1. the command line: DemoServer=<endpoint> (any letter case, with or without '-' or '/');
//   2. the settings value "DemoServer" under "Software\Valtrosa";
//   3. when the server list is the built-in one on this machine: the user's own service,
//      "unix:<socket>" (local_service.h); a user without a private folder for its socket
//      gets a TException saying why;
//   4. the server list downloaded from ServerListUrl (its whole body, trimmed); when the
//      download fails, "LastSuccessDemoServer" under the same key, if set;
//   5. "DefaultDemoServer" under the same key;
//   6. the built-in address (BuiltInServerAddress).
// The settings values are only read, never written. An empty server list (a reachable
// server that sends an empty body) does not lead to "LastSuccessDemoServer". A server list
// answered with an HTTP error status counts as a failed download, so an error page never
// becomes the address.
//
// Only the download is guarded, and only against the program's own exceptions; a settings
// store that cannot be read raises to the caller.

#include "foundation/my_string.h"

// The context of one lookup; every reading makes a new one.
struct ServerAddressLookup {
    bool RegistryRead = false;  // "DemoServer" has been read into RegistryAddress
    MyString RegistryAddress;
    MyString ServerListText;    // the downloaded list, trimmed
};

// Downloads the server list; its body trimmed of blanks, CR and LF at both ends, or the
// empty text for an empty body. Download failures raise TWinInetException.
MyString FetchServerList();

// Puts the address into `out` (see the order above) and returns `out`.
MyString &FindServerAddress(ServerAddressLookup &lookup, MyString &out);
