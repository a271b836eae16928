// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's own folder for the local speech service's socket: a socket there can be opened
// by this user alone, so no other user of the machine, no web page and no program that took a
// port first can reach the service or receive the user's texts.
//
// The folder is "narrelo" in $XDG_RUNTIME_DIR (the session's runtime folder, which the login
// manager makes for this user alone) or, where there is no usable one, "narrelo-<uid>" in the
// temporary folder ($TMPDIR, else /tmp). Either is created with mode 0700 when missing; an
// existing one is used only when it is a real folder (not a link) owned by this user, and is
// made 0700 again when someone widened it. A runtime folder that is not this user's own (not
// a folder, another owner, open to others) is not used: the temporary folder's is.

#include <string>

// The folder, created or checked as above; "" and `error` set (a sentence for the user,
// UTF-8, with the system's own words) when no private folder can be had.
std::string UserRuntimeFolder(std::string &error);

// "<folder>/demoserver.sock": where the user's speech service listens. "" and `error` set
// when the folder cannot be had or the path does not fit a Unix socket address.
std::string UserServiceSocketPath(std::string &error);

// Checks (and makes) `folder` private to this user as above: a folder, not a link, owned by
// this user, mode 0700 afterwards. Creates it (mode 0700) when missing and `create` is set,
// but never its parents. False with `error` set otherwise.
bool MakePrivateFolder(const std::string &folder, bool create, std::string &error);
