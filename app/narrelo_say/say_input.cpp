// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/say_input.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/speech_text.h"
#include "platform/utf8.h"

std::string ReadingText(std::string_view text, int32_t &leftOut) {
    std::string bytes = cp1254::FromUtf8ForSpeech(text, leftOut);
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\xAD'), bytes.end());  // U+00AD
    return bytes;
}

namespace {

// The length of the longest prefix of `bytes` that ends on a whole UTF-8 character (a
// sequence cut off at the end waits for the next read; anything else is whole enough).
size_t WholeCharacters(const std::string &bytes) {
    const size_t n = bytes.size();
    for (size_t back = 1; back <= 4 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

// Whether `bytes` (a text's first bytes, a character perhaps cut off at the end) look like
// UTF-8: not more bytes that belong to no UTF-8 character than multi-byte characters.
bool LooksLikeUtf8(std::string_view bytes) {
    size_t invalid = 0, multiByte = 0;
    for (size_t at = 0; at < bytes.size();) {
        const size_t from = at;
        const char32_t c = utf8::Next(bytes, at);
        if (c == utf8::Invalid) {
            if (at >= bytes.size()) break;  // perhaps only cut off
            invalid += at - from;
        } else if (c >= 0x80) {
            ++multiByte;
        }
    }
    return invalid <= multiByte;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// Where to cut `text` (longer than limit): the end of the last paragraph, sentence, line
// or word that ends within the limit, the later the better, but not in its first half when
// a later kind of place exists; at the limit itself when the text has none.
size_t CutPlace(const std::string &text, size_t limit) {
    const size_t half = limit / 2;
    size_t paragraph = 0, sentence = 0, line = 0, word = 0;
    for (size_t i = 1; i < limit; ++i) {
        const char c = text[i];
        if (!IsBlank(c)) continue;
        const char before = text[i - 1];
        if (c == '\n' && before == '\n') paragraph = i + 1;
        else if (c == '\n' && i >= 2 && before == '\r' && text[i - 2] == '\n') paragraph = i + 1;
        if (before == '.' || before == '!' || before == '?' || before == '\x85' /* ellipsis */ ||
            before == ':' || before == ';')
            sentence = i + 1;
        if (c == '\n') line = i + 1;
        word = i + 1;
    }
    for (size_t place : {paragraph, sentence, line})
        if (place > half) return place;
    if (word > 0) return word;
    return limit;
}

// Where the text a stream has given so far may be read before more comes: after its last
// line break, or after the last sentence end (. ! ? or an ellipsis) that a blank follows;
// 0 when there is no such place yet.
size_t WholeSentencesEnd(const std::string &text) {
    for (size_t i = text.size(); i-- > 0;) {
        const char c = text[i];
        if (c == '\n') return i + 1;
        if (IsBlank(c) && i > 0) {
            const char before = text[i - 1];
            if (before == '.' || before == '!' || before == '?' || before == '\x85') return i + 1;
        }
    }
    return 0;
}

// How long a stream may stay silent, with whole sentences waiting, before they are read.
constexpr int StreamPauseMilliseconds = 100;

}  // namespace

std::string TTextDecoder::Take(std::string &raw, bool end) {
    if (encoding_ == TEncoding::Unknown) {
        // Only a byte order mark's beginning waits for more (typing "A\n" is no mark).
        const std::string_view head = raw;
        if (!end && (std::string_view("\xEF\xBB\xBF").substr(0, head.size()) == head ||
                     head == "\xFF" || head == "\xFE"))
            return {};
        if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            raw.erase(0, 3);
            encoding_ = TEncoding::Utf8;
        } else if (raw.compare(0, 2, "\xFF\xFE") == 0) {
            raw.erase(0, 2);
            encoding_ = TEncoding::Utf16Le;
        } else if (raw.compare(0, 2, "\xFE\xFF") == 0) {
            raw.erase(0, 2);
            encoding_ = TEncoding::Utf16Be;
        } else {
            encoding_ = LooksLikeUtf8(raw) ? TEncoding::Utf8 : TEncoding::Windows1254;
        }
    }
    std::string out;
    switch (encoding_) {
    case TEncoding::Unknown:
    case TEncoding::Utf8: {
        const size_t whole = end ? raw.size() : WholeCharacters(raw);
        out = raw.substr(0, whole);
        raw.erase(0, whole);
        break;
    }
    case TEncoding::Windows1254:
        out = cp1254::ToUtf8(raw);
        raw.clear();
        break;
    case TEncoding::Utf16Le:
    case TEncoding::Utf16Be: {
        const bool little = encoding_ == TEncoding::Utf16Le;
        size_t at = 0;
        for (; at + 2 <= raw.size(); at += 2) {
            const unsigned char a = static_cast<unsigned char>(raw[at]), b = static_cast<unsigned char>(raw[at + 1]);
            const char32_t unit = little ? char32_t(a | b << 8) : char32_t(b | a << 8);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (highSurrogate_) utf8::Append(out, 0xFFFD);
                highSurrogate_ = unit;
                continue;
            }
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                utf8::Append(out, highSurrogate_ ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00)
                                                 : char32_t(0xFFFD));
                highSurrogate_ = 0;
                continue;
            }
            if (highSurrogate_) utf8::Append(out, 0xFFFD);
            highSurrogate_ = 0;
            utf8::Append(out, unit);
        }
        raw.erase(0, at);
        if (end) {
            if (highSurrogate_ || !raw.empty()) utf8::Append(out, 0xFFFD);
            highSurrogate_ = 0;
            raw.clear();
        }
        break;
    }
    }
    return out;
}

namespace {

// The end of the markup that begins at document[at] ('<'): past its '>' (quotes in a tag
// respected), or the end of the document.
size_t MarkupEnd(std::string_view document, size_t at) {
    const auto past = [&](std::string_view close) {
        const size_t found = document.find(close, at);
        return found == std::string_view::npos ? document.size() : found + close.size();
    };
    if (document.substr(at, 4) == "<!--") return past("-->");
    if (document.substr(at, 9) == "<![CDATA[") return past("]]>");
    if (document.substr(at, 2) == "<?") return past("?>");
    char quote = 0;
    for (size_t i = at + 1; i < document.size(); ++i) {
        const char c = document[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return document.size();
}

}  // namespace

std::vector<std::string> XmlTextParts(const std::string &document, size_t limit) {
    if (document.size() <= limit) return {document};
    // Where the root's start tag ends, where its end tag begins, and where each of its
    // children ends.
    size_t rootOpened = std::string::npos, rootClosed = std::string::npos;
    std::vector<size_t> childEnds;
    int32_t depth = 0;
    for (size_t at = document.find('<'); at != std::string::npos && rootClosed == std::string::npos;
         at = document.find('<', at)) {
        const size_t end = MarkupEnd(document, at);
        const std::string_view tag(document.data() + at, end - at);
        const bool special = tag.size() >= 2 && (tag[1] == '!' || tag[1] == '?');
        if (special) {
            // comments, CDATA, declarations: no element
        } else if (tag.size() >= 2 && tag[1] == '/') {
            --depth;
            if (depth == 0) rootClosed = at;
            else if (depth == 1) childEnds.push_back(end);
        } else if (tag.size() >= 2 && tag[tag.size() - 2] == '/') {
            if (depth == 0) return {document};  // an empty root: nothing to cut
            if (depth == 1) childEnds.push_back(end);
        } else {
            if (depth == 0) rootOpened = end;
            ++depth;
        }
        if (depth < 0 || end >= document.size()) break;
        at = end;
    }
    if (rootOpened == std::string::npos || rootClosed == std::string::npos || childEnds.empty()) return {document};
    const std::string_view head(document.data(), rootOpened);
    const std::string_view tail(document.data() + rootClosed, document.size() - rootClosed);
    const size_t room = limit > head.size() + tail.size() ? limit - head.size() - tail.size() : 1;
    std::vector<std::string> parts;
    size_t from = rootOpened, last = rootOpened;
    const auto emit = [&](size_t to) {
        parts.push_back(std::string(head) + document.substr(from, to - from) + std::string(tail));
        from = to;
    };
    for (const size_t end : childEnds) {
        if (end - from > room && last > from) emit(last);
        last = end;
    }
    emit(rootClosed);
    return parts;
}

std::vector<std::string> CutOverlongSentence(std::string_view sentence, size_t limit) {
    std::vector<std::string> pieces;
    if (limit == 0) limit = 1;
    while (!sentence.empty()) {
        size_t cut = sentence.size();
        if (cut > limit) {
            const std::string_view window = sentence.substr(0, limit);
            const size_t line = window.find_last_of('\n');
            const size_t blank = window.find_last_of(" \t\r\f\v");
            cut = line != std::string_view::npos && line > 0   ? line + 1
                  : blank != std::string_view::npos && blank > 0 ? blank + 1
                                                                 : limit;
        }
        const std::string_view piece = sentence.substr(0, cut);
        if (piece.find_first_not_of(" \t\r\n\f\v") != std::string_view::npos) pieces.emplace_back(piece);
        sentence.remove_prefix(cut);
    }
    return pieces;
}

TTextParts::TTextParts(std::string text) : opened_(true), ended_(true) {
    if (int64_t(text.size()) > InputLimit)
        RaiseError(TErrorCategory::Refused, "The text is longer than 64 MiB; give it in smaller files");
    buffer_ = ReadingText(decoder_.Take(text, true), leftOut_);
    converted_ = int64_t(buffer_.size());
}

int64_t TTextParts::EstimatedTotal() const {
    if (path_.empty()) return converted_;
    if (ended_) return converted_;
    if (fileSize_ < 0) return -1;
    if (readBytes_ <= 0) return fileSize_;
    return int64_t(double(fileSize_) * double(converted_) / double(readBytes_));
}

TTextParts::TTextParts(std::string path, const std::atomic<bool> &interrupted)
    : path_(std::move(path)), interrupted_(&interrupted) {}

TTextParts::~TTextParts() {
    if (fd_ > STDERR_FILENO) close(fd_);
}

void TTextParts::Fill() {
    if (!opened_) {
        opened_ = true;
        fd_ = path_ == "-" ? STDIN_FILENO : open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            RaiseError(TErrorCategory::InputOutput, "File Not Opened %s: %s", path_.c_str(), std::strerror(errno));
        struct stat info {};
        if (fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > InputLimit)
            RaiseError(TErrorCategory::Refused, "%s: the text is longer than 64 MiB; give it in smaller files", path_.c_str());
        if (S_ISREG(info.st_mode)) fileSize_ = info.st_size;
    }
    char block[65536];
    // An XML text is cut where its elements allow: it is read whole first.
    while (!ended_ && (xml_ || buffer_.size() <= PartLimit)) {
        // A stream (a pipe, a terminal) is read as it comes: whole sentences it has given
        // are read when it pauses, not kept until a part is full or the input ends.
        if (fileSize_ < 0 && !xml_ && WholeSentencesEnd(buffer_) > 0) {
            pollfd ready{fd_, POLLIN, 0};
            if (poll(&ready, 1, StreamPauseMilliseconds) == 0) break;
        }
        const ssize_t n = read(fd_, block, sizeof block);
        if (n < 0 && errno == EINTR && !*interrupted_) continue;
        if (n < 0 && errno == EINTR) {
            ended_ = true;
            break;
        }
        if (n < 0)
            RaiseError(TErrorCategory::InputOutput, "File Not Readed %s: %s", path_.c_str(), std::strerror(errno));
        if (n == 0) {
            ended_ = true;
        } else {
            readBytes_ += n;
            if (readBytes_ > InputLimit)
                RaiseError(TErrorCategory::Refused, "The text is longer than 64 MiB; give it in smaller files");
            pending_.append(block, size_t(n));
        }
        const std::string utf8 = decoder_.Take(pending_, ended_);
        if (utf8.empty()) continue;
        int32_t leftOut = 0;
        const size_t before = buffer_.size();
        buffer_ += ReadingText(utf8, leftOut);
        converted_ += int64_t(buffer_.size() - before);
        leftOut_ += leftOut;
    }
}

bool TTextParts::Next(std::string &part) {
    Fill();
    if (xml_ && !buffer_.empty()) {
        xmlParts_ = XmlTextParts(buffer_, PartLimit);
        std::reverse(xmlParts_.begin(), xmlParts_.end());
        buffer_.clear();
    }
    if (xml_) {
        if (xmlParts_.empty()) return false;
        part = std::move(xmlParts_.back());
        xmlParts_.pop_back();
        return true;
    }
    if (buffer_.empty()) return false;
    if (buffer_.size() <= PartLimit) {
        // Not all of it while a stream is still open: its whole sentences only.
        const size_t whole = ended_ ? buffer_.size() : WholeSentencesEnd(buffer_);
        if (whole > 0 && whole < buffer_.size()) {
            part = buffer_.substr(0, whole);
            buffer_.erase(0, whole);
            return true;
        }
        part = std::move(buffer_);
        buffer_.clear();
        return true;
    }
    const size_t cut = CutPlace(buffer_, PartLimit);
    part = buffer_.substr(0, cut);
    buffer_.erase(0, cut);
    return true;
}
