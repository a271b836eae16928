// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/http_request_reader.h"

#include <algorithm>
#include <strings.h>

namespace {

std::string Trim(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.erase(text.begin());
    while (!text.empty() && blank(text.back())) text.pop_back();
    return text;
}

// Fills the request's fields from its header; false when it is not HTTP.
bool ParseHead(THttpRequest &request) {
    const std::string head = request.Bytes.substr(0, request.HeaderSize);
    const size_t space = head.find(' ');
    const size_t lineEnd = head.find("\r\n");
    if (space == std::string::npos || space == 0 || space > lineEnd ||
        head.find(" HTTP/", space) > lineEnd)
        return false;
    request.Method = head.substr(0, space);
    const size_t targetEnd = head.find(' ', space + 1);
    request.Target = head.substr(space + 1, std::min(targetEnd, lineEnd) - space - 1);
    for (size_t at = lineEnd + 2; at < head.size();) {
        const size_t end = head.find("\r\n", at);
        if (end == std::string::npos || end == at) break;
        const std::string line = head.substr(at, end - at);
        at = end + 2;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Trim(line.substr(0, colon));
        const std::string value = Trim(line.substr(colon + 1));
        if (strcasecmp(name.c_str(), "Content-Length") == 0) {
            // Plain digits only: no sign, no blanks inside, no list; copies must agree.
            if (value.empty() || value.size() > 18 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return false;
            const uint64_t length = std::stoull(value);
            if (request.HasContentLength && length != request.ContentLength) return false;
            request.ContentLength = length;
            request.HasContentLength = true;
        } else if (strcasecmp(name.c_str(), "Host") == 0) {
            request.Host = value;
            ++request.HostCount;
        } else if (strcasecmp(name.c_str(), "Origin") == 0) {
            request.Origin = value;
            request.HasOrigin = true;
        } else if (strcasecmp(name.c_str(), "Content-Type") == 0) {
            request.ContentType = value;
        } else if (strcasecmp(name.c_str(), "SOAPAction") == 0) {
            request.HasSoapAction = true;
        } else if (strcasecmp(name.c_str(), "Transfer-Encoding") == 0 &&
                   strcasecmp(value.c_str(), "identity") != 0) {
            request.Chunked = true;
        }
    }
    return true;
}

const char *ReasonOf(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

}  // namespace

size_t THttpRequestReader::Wanted() const {
    if (request_.HeaderSize == 0) return limits_.MaxHeaderBytes + 1 - request_.Bytes.size();
    return wanted_ - request_.Bytes.size();
}

std::optional<THttpReadResult> THttpRequestReader::Add(const char *data, size_t size) {
    THttpRequest &request = request_;
    if (request.HeaderSize == 0) {
        const size_t searchFrom = request.Bytes.size() < 3 ? 0 : request.Bytes.size() - 3;
        request.Bytes.append(data, size);
        const size_t end = request.Bytes.find("\r\n\r\n", searchFrom);
        if (end == std::string::npos) {
            if (request.Bytes.size() > limits_.MaxHeaderBytes) return THttpReadResult::HeaderTooLarge;
            return std::nullopt;
        }
        request.HeaderSize = end + 4;
        if (request.HeaderSize > limits_.MaxHeaderBytes) return THttpReadResult::HeaderTooLarge;
        if (!ParseHead(request)) return THttpReadResult::BadRequest;
        if (request.HasContentLength && request.ContentLength > limits_.MaxBodyBytes)
            return THttpReadResult::TooLarge;
        // A POST must announce its body; another method has one only when it says so.
        if (request.Chunked || (request.Method == "POST" && !request.HasContentLength))
            return THttpReadResult::LengthRequired;
        const bool bodyExpected = request.Method != "GET" && request.Method != "HEAD";
        wanted_ = request.HeaderSize + (bodyExpected ? size_t(request.ContentLength) : 0);
        if (request.Bytes.size() > wanted_) request.Bytes.resize(wanted_);  // nothing after it is ours
    } else {
        request.Bytes.append(data, std::min(size, wanted_ - request.Bytes.size()));
    }
    if (request.Bytes.size() >= wanted_) return THttpReadResult::Complete;
    return std::nullopt;
}

std::string HttpResponseHead(int status, const std::string &contentType, uint64_t length,
                             const std::string &extraHeader) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + ReasonOf(status) + "\r\n";
    out += "Server: narrelo-demoserver\r\n";
    out += extraHeader;
    out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + std::to_string(length) + "\r\n";
    out += "Connection: close\r\n\r\n";
    return out;
}

std::string HttpResponse(int status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeader) {
    return HttpResponseHead(status, contentType, body.size(), extraHeader) + body;
}
