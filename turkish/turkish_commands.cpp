// SPDX-License-Identifier: GPL-3.0-or-later
#include "turkish/turkish_commands.h"

#include "foundation/code_page.h"
#include "foundation/speech_text.h"
#include "turkish/turkish_text.h"

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <iterator>
#include <ostream>

namespace {

std::string ReadAll(std::istream &in) {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Split(std::istream &in, std::ostream &out) {
    const std::string text = Windows1254ForSpeech(ReadAll(in));
    for (const TSentenceRange &r : SplitSentences(text))
        out << JsonString(cp1254::ToUtf8(std::string_view(text).substr(r.Start, r.Length))) << '\n';
    out.flush();
    return 0;
}

int Normalise(std::istream &in, std::ostream &out, int kind) {
    out << cp1254::ToUtf8(NormaliseForSpeech(Windows1254ForSpeech(ReadAll(in)), kind)) << '\n';
    out.flush();
    return 0;
}

}  // namespace

std::string Windows1254ForSpeech(std::string_view utf8) {
    int32_t leftOut = 0;
    return cp1254::FromUtf8ForSpeech(utf8, leftOut);
}

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

int RunTurkishCommand(int argc, const char *const *argv, std::istream &in, std::ostream &out, std::ostream &err) {
    if (argc < 2) return -1;
    const std::string_view command = argv[1];
    if (command == "split") {
        if (argc != 2) {
            err << "usage: narrelo-demoserver split < text\n";
            return 2;
        }
        return Split(in, out);
    }
    if (command != "normalise") return -1;
    int kind = 0;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        const char *value = nullptr;
        if (arg == "--kind" && i + 1 < argc) value = argv[++i];
        else if (arg.substr(0, 7) == "--kind=") value = argv[i] + 7;
        char *end = nullptr;
        long k = value ? std::strtol(value, &end, 10) : -1;
        if (!value || *value == '\0' || *end != '\0' || k < 0 || k > 5) {
            err << "usage: narrelo-demoserver normalise [--kind K] < value   (K: 0 running text, 1 address, "
                   "2 commercial title, 3 person name, 4 licence plate, 5 phone number)\n";
            return 2;
        }
        kind = int(k);
    }
    return Normalise(in, out, kind);
}
