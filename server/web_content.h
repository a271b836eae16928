// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the server answers to HTTP GET on its port:
//   /demoserver.txt       the SOAP endpoint of this server (the client's server list file);
//   /download             a page offering the installer (Turkish and English);
//   /download/<name>      the installer file itself, when one is configured;
//   every other path      the file of that path below the web root (the program's pages:
//                         a folder's path gives its index.html), when it is there;
// anything else is 404. A path is built one segment at a time with its percent escapes
// decoded; an empty segment, ".", "..", a hidden name, a slash, backslash or NUL inside a
// segment is never looked up, and a file is served only when its canonical path lies below
// the canonical web root (a symbolic link out of the web folder is not followed). Files are
// named in FilePath and sent in blocks, never read whole.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char *SoapPath = "/Project2.DemoServer/soap/IDemoServer";

struct TWebAnswer {
    int Status = 404;
    std::string ContentType = "text/plain; charset=utf-8";
    std::string Body;         // empty for a file answer
    std::string FilePath;     // a file to send as the body (a page, the installer)
};

class TWebContent {
public:
    // `installer` may be empty (none offered).
    TWebContent(std::string webRoot, std::string installer);

    // `listenHost` is the "address:port" this server listens on, as the client reached it
    // (never the request's Host header).
    TWebAnswer Get(std::string_view path, std::string_view listenHost) const;

    // The path the installer is served at ("" when none is configured).
    const std::string &InstallerPath() const { return installerPath_; }
    // "http://<listenHost><InstallerPath()>", or "" when none is configured.
    std::string InstallerUrl(std::string_view listenHost) const;

private:
    std::string webRoot_;
    std::string installer_;
    std::string installerPath_;
};

