// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of narrelo-demoserver.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TServerOptions {
    std::string Bind = "127.0.0.1";  // never every interface unless told
    std::vector<std::string> AllowHosts;  // further Host names answered (--allow-host)
    int Port = 8081;                 // 0: the system picks a free one
    std::string Socket;              // a Unix socket to listen on instead of --bind/--port
    bool UserSocket = false;         // --user: Socket is the user's own (platform/user_runtime.h)
    int32_t MinVersion = 13;         // UpdateRequired2 answers true below this
    std::string Installer;           // file offered over HTTP GET; empty: none
    bool InstallerIsBuiltPackage = false;  // --installer without FILE: this build's .deb
    bool Inline = false;             // audio bytes inside Synthesise's answer
    std::string KeyFile;             // default: $XDG_CONFIG_HOME/valtrosa/demoserver.key
    std::string CacheDir;            // default: $XDG_CACHE_HOME/narrelo-demoserver
    std::string WebRoot;             // default: the data folder's web/
    int Workers = 4;                 // requests served at once, in each process
    int Processes = 0;               // serving one port together; 0: one per core
    int IdleTimeout = 30;            // seconds a connection may stay silent
    int IdleExit = 0;                // seconds without a connection before exiting; 0: never
    int64_t SessionLifetime = 30 * 24 * 3600;  // seconds
    int64_t MemoryCacheBytes = 64ll << 20;
    int64_t DiskCacheBytes = 512ll << 20;
    bool Quiet = false;              // no log line per request
    bool Help = false;
    bool Version = false;
};

// Parses argv[1..]; throws std::invalid_argument with a message for the user on an unknown
// option, a missing or malformed value. Defaults that depend on the environment are filled
// in by ResolveDefaults.
TServerOptions ParseServerOptions(const std::vector<std::string> &arguments);
// Fills KeyFile, CacheDir and WebRoot when they were not given.
void ResolveDefaults(TServerOptions &options);

// The --help text.
std::string ServerUsage();

// The reading window's Debian package that `scripts/build-deb.sh` made into the build tree
// holding `executable` (<build>/deb/narrelo_<version>-<revision>_amd64.deb, the last name
// when there are several revisions), or "" when there is none.
std::string BuiltPackagePath(const std::string &executable);
