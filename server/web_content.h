#pragma once
// What the server answers to HTTP GET on its port:
//   /demoserver.txt       the SOAP endpoint of this server (the client's server list file);
//   /download             a page offering the installer (Turkish and English);
//   /download/<name>      the installer file itself, when one is configured;
//   every other path      the file of that path below the web root (the program's pages:
//                         a folder's path gives its index.html), when it is there;
// anything else is 404. Paths with "..", a backslash, a NUL or a hidden name are never
// looked up.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char *SoapPath = "/Project2.DemoServer/soap/IDemoServer";

struct TWebAnswer {
    int Status = 404;
    std::string ContentType = "text/plain; charset=utf-8";
    std::string Body;         // empty for a file answer
    std::string FilePath;     // a file to send as the body (the installer)
};

class TWebContent {
public:
    // `installer` may be empty (none offered).
    TWebContent(std::string webRoot, std::string installer);

    // `host` is the request's Host header, already checked (may be empty); `fallbackHost`
    // the "address:port" this server listens on.
    TWebAnswer Get(std::string_view path, std::string_view host,
                   std::string_view fallbackHost) const;

    // The path the installer is served at ("" when none is configured).
    const std::string &InstallerPath() const { return installerPath_; }
    // "http://<host><InstallerPath()>", or "" when none is configured.
    std::string InstallerUrl(std::string_view host, std::string_view fallbackHost) const;

private:
    std::string webRoot_;
    std::string installer_;
    std::string installerPath_;
};

// A Host header worth repeating in an answer: letters, digits, '.', '-', ':', '[', ']' only,
// at most 255 bytes; anything else gives "".
std::string SaneHost(std::string_view host);
