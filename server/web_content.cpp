// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/web_content.h"

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

std::string ContentTypeOf(const fs::path &path) {
    const std::string extension = path.extension().string();
    if (extension == ".html" || extension == ".htm") return "text/html; charset=utf-8";
    if (extension == ".css") return "text/css; charset=utf-8";
    if (extension == ".txt") return "text/plain; charset=utf-8";
    if (extension == ".png") return "image/png";
    if (extension == ".svg") return "image/svg+xml";
    if (extension == ".ico") return "image/x-icon";
    return "application/octet-stream";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One segment of a request path with its percent escapes decoded; "" when it is not a plain
// name below its folder: empty, "." or "..", hidden (a leading dot), or holding a slash,
// backslash, NUL or a broken escape once decoded.
std::string SegmentName(std::string_view segment) {
    std::string name;
    for (size_t i = 0; i < segment.size(); ++i) {
        char c = segment[i];
        if (c == '%') {
            const int high = i + 1 < segment.size() ? HexValue(segment[i + 1]) : -1;
            const int low = i + 2 < segment.size() ? HexValue(segment[i + 2]) : -1;
            if (high < 0 || low < 0) return "";
            c = char(high * 16 + low);
            i += 2;
        }
        if (c == '/' || c == '\\' || c == '\0') return "";
        name += c;
    }
    if (name.empty() || name.front() == '.') return "";
    return name;
}

// The file below `root` that `path` names, built one checked segment at a time; "" when
// a segment is refused. A trailing slash names the folder itself.
std::optional<fs::path> PathBelow(const fs::path &root, std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    fs::path file = root;
    path.remove_prefix(1);
    while (!path.empty()) {
        const size_t slash = path.find('/');
        const std::string name = SegmentName(path.substr(0, slash));
        if (name.empty()) return std::nullopt;
        file /= name;
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return file;
}

// Whether `inside` is `folder` or lies below it (both canonical).
bool Contains(const fs::path &folder, const fs::path &inside) {
    auto at = inside.begin();
    for (const fs::path &part : folder) {
        if (at == inside.end() || *at != part) return false;
        ++at;
    }
    return true;
}

std::string InstallerName(const std::string &installer) {
    const std::string name = fs::path(installer).filename().string();
    const bool plain = !name.empty() && name.front() != '.' &&
                       name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789._-") == std::string::npos;
    return plain ? name : "installer";
}

std::string DownloadPage(const std::string &installerPath) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"tr\">\n<head><meta charset=\"utf-8\">"
        "<title>Narrelo: İndir / Download</title>"
        "<link rel=\"stylesheet\" href=\"/style.css\"></head>\n<body>\n"
        "<h1>Narrelo</h1>\n";
    if (installerPath.empty()) {
        page += "<p>Bu sunucu bir kurulum dosyası sunmuyor.</p>\n"
                "<p lang=\"en\">This server offers no installer.</p>\n";
    } else {
        page += "<p><a href=\"" + installerPath + "\">Son sürümü indirin</a></p>\n"
                "<p lang=\"en\"><a href=\"" + installerPath +
                "\">Download the latest version</a></p>\n";
    }
    page += "<p><a href=\"/\">Ana sayfa</a> · <a href=\"/en/\">Home</a></p>\n</body>\n</html>\n";
    return page;
}

}  // namespace

TWebContent::TWebContent(std::string webRoot, std::string installer)
    : webRoot_(std::move(webRoot)), installer_(std::move(installer)) {
    if (!installer_.empty()) installerPath_ = "/download/" + InstallerName(installer_);
}

std::string TWebContent::InstallerUrl(std::string_view listenHost) const {
    if (installerPath_.empty()) return "";
    return "http://" + std::string(listenHost) + installerPath_;
}

TWebAnswer TWebContent::Get(std::string_view path, std::string_view listenHost) const {
    TWebAnswer answer;
    // The query part plays no role.
    if (const size_t query = path.find('?'); query != std::string_view::npos)
        path = path.substr(0, query);
    if (path == "/demoserver.txt") {
        answer.Status = 200;
        answer.Body = "http://" + std::string(listenHost) + SoapPath + "\r\n";
        return answer;
    }
    if (path == "/download" || path == "/download/") {
        answer.Status = 200;
        answer.ContentType = "text/html; charset=utf-8";
        answer.Body = DownloadPage(installerPath_);
        return answer;
    }
    if (!installerPath_.empty() && path == installerPath_) {
        if (!fs::is_regular_file(installer_)) {
            answer.Body = "Not Found\n";
            return answer;
        }
        answer.Status = 200;
        answer.ContentType = "application/octet-stream";
        answer.FilePath = installer_;
        return answer;
    }
    answer.Body = "Not Found\n";
    if (webRoot_.empty()) return answer;
    std::error_code error;
    const fs::path root = fs::canonical(webRoot_, error);
    if (error) return answer;
    const std::optional<fs::path> named = PathBelow(root, path);
    if (!named) return answer;
    // The canonical file must still lie below the canonical root: a symbolic link in the
    // web folder that points out of it is not followed.
    fs::path file = fs::canonical(*named, error);
    if (error || !Contains(root, file)) return answer;
    if (fs::is_directory(file, error)) file /= "index.html";
    if (!fs::is_regular_file(fs::symlink_status(file, error))) return answer;
    answer.Status = 200;
    answer.ContentType = ContentTypeOf(file);
    answer.Body.clear();
    answer.FilePath = file.string();
    return answer;
}
