#include "server/web_content.h"

#include <filesystem>
#include <fstream>
#include <iterator>

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

bool SafePath(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    if (path.find('\\') != std::string_view::npos || path.find('\0') != std::string_view::npos)
        return false;
    // No segment may start with a dot: no "..", no hidden files.
    return path.find("/.") == std::string_view::npos;
}

bool ReadWhole(const fs::path &path, std::string &bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string HostOr(std::string_view host, std::string_view fallbackHost) {
    return std::string(host.empty() ? fallbackHost : host);
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

std::string SaneHost(std::string_view host) {
    if (host.size() > 255) return "";
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
        if (!ok) return "";
    }
    return std::string(host);
}

TWebContent::TWebContent(std::string webRoot, std::string installer)
    : webRoot_(std::move(webRoot)), installer_(std::move(installer)) {
    if (!installer_.empty()) installerPath_ = "/download/" + InstallerName(installer_);
}

std::string TWebContent::InstallerUrl(std::string_view host, std::string_view fallbackHost) const {
    if (installerPath_.empty()) return "";
    return "http://" + HostOr(host, fallbackHost) + installerPath_;
}

TWebAnswer TWebContent::Get(std::string_view path, std::string_view host,
                            std::string_view fallbackHost) const {
    TWebAnswer answer;
    // The query part plays no role.
    if (const size_t query = path.find('?'); query != std::string_view::npos)
        path = path.substr(0, query);
    if (path == "/demoserver.txt") {
        answer.Status = 200;
        answer.Body = "http://" + HostOr(host, fallbackHost) + SoapPath + "\r\n";
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
    if (!SafePath(path) || webRoot_.empty()) return answer;
    fs::path file = fs::path(webRoot_) / fs::path(std::string(path.substr(1)));
    std::error_code error;
    if (fs::is_directory(file, error)) file /= "index.html";
    std::string bytes;
    if (!fs::is_regular_file(file, error) || !ReadWhole(file, bytes)) return answer;
    answer.Status = 200;
    answer.ContentType = ContentTypeOf(file);
    answer.Body = std::move(bytes);
    return answer;
}
