// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/narrelo_say/say_options.h"

#include <cctype>
#include <charconv>
#include <string_view>

const char *const SayUsage =
    "Usage: narrelo-say [options] [TEXT...]\n"
    "Reads Turkish text aloud through the speech service: TEXT, else the file given with\n"
    "--file, else standard input (UTF-8).\n"
    "\n"
    "  --server URL        the service's SOAP endpoint (otherwise DemoServer=URL on the\n"
    "                      command line, or the server the settings name)\n"
    "  --style STYLE       belirgin (clear reading, the default) or akici (fluent reading)\n"
    "  --speed N           0 (fastest) .. 10 (normal, the default) .. 20 (slowest)\n"
    "  --xml               the text is XML-marked\n"
    "  --file FILE         read the text from FILE (\"-\": standard input)\n"
    "  --wav FILE          write the sound to FILE (WAVE, 16 kHz mono 16-bit) instead of\n"
    "                      playing it; \"-\" is standard output (narrelo-say --wav - | aplay)\n"
    "  --ogg FILE          the same as Ogg Vorbis (16 kHz mono, about 4.5 kB a second)\n"
    "  --no-pause          never stop after 50 new words to ask for Enter\n"
    "  --quiet             no progress and no warnings on standard error\n"
    "  --verbose           also the audio decoder's notes as they come (otherwise counted\n"
    "                      once at the end)\n"
    "  --help              this text\n"
    "  --version           the program's version\n"
    "\n"
    "Exit status: 0 read, 1 the reading failed, 2 wrong usage, 129 ended by SIGHUP,\n"
    "130 stopped with Ctrl-C, 143 ended by SIGTERM.\n";

namespace {

bool IsDemoServerArgument(std::string_view arg) {
    if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) arg.remove_prefix(1);
    constexpr std::string_view name = "demoserver=";
    if (arg.size() < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(arg[i])) != name[i]) return false;
    return true;
}

int32_t SpeedOf(const std::string &value) {
    int32_t speed = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), speed);
    if (error != std::errc() || end != value.data() + value.size() || speed < 0 || speed > 20)
        throw TUsageError{"--speed wants a whole number from 0 to 20, not \"" + value + "\""};
    return speed;
}

int32_t SpeakerOf(const std::string &value) {
    if (value == "belirgin") return 2;
    if (value == "akici" || value == "ak\xC4\xB1" "c\xC4\xB1") return 1;  // also "akıcı"
    throw TUsageError{"--style is belirgin or akici, not \"" + value + "\""};
}

}  // namespace

TSayOptions ParseSayOptions(const std::vector<std::string> &args) {
    TSayOptions options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!optionsEnded && IsDemoServerArgument(arg)) continue;
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (IsDemoServerArgument(arg)) continue;
        std::string name = arg;
        std::optional<std::string> value;
        if (const size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        const auto takeValue = [&]() -> std::string {
            if (value) return *value;
            if (i + 1 >= args.size()) throw TUsageError{name + " wants a value"};
            return args[++i];
        };
        const auto noValue = [&] {
            if (value) throw TUsageError{name + " takes no value"};
        };
        if (name == "--server") {
            options.Server = takeValue();
            if (options.Server.empty()) throw TUsageError{"--server wants an address"};
        } else if (name == "--file") {
            options.File = takeValue();
        } else if (name == "--style") {
            options.Speaker = SpeakerOf(takeValue());
        } else if (name == "--speed") {
            options.Speed = SpeedOf(takeValue());
        } else if (name == "--wav") {
            options.WavFile = takeValue();
            if (options.WavFile->empty()) throw TUsageError{"--wav wants a file name"};
        } else if (name == "--ogg") {
            options.OggFile = takeValue();
            if (options.OggFile->empty()) throw TUsageError{"--ogg wants a file name"};
        } else if (name == "--xml") {
            noValue();
            options.IsXml = true;
        } else if (name == "--no-pause") {
            noValue();
            options.NoPause = true;
        } else if (name == "--quiet") {
            noValue();
            options.Quiet = true;
        } else if (name == "--verbose") {
            noValue();
            options.Verbose = true;
        } else if (name == "--help" || name == "-h") {
            noValue();
            options.Help = true;
        } else if (name == "--version") {
            noValue();
            options.Version = true;
        } else {
            throw TUsageError{"unknown option " + name};
        }
    }
    if (!words.empty()) {
        std::string text;
        for (const std::string &word : words) text += (text.empty() ? "" : " ") + word;
        options.Text = text;
    }
    if (options.Text && options.File) throw TUsageError{"give the text or --file, not both"};
    if (options.WavFile && options.OggFile) throw TUsageError{"give --wav or --ogg, not both"};
    return options;
}
