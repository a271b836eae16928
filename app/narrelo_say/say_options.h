// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of narrelo-say.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TSayOptions {
    std::optional<std::string> Text;     // the TEXT arguments, joined by blanks (UTF-8)
    std::optional<std::string> File;     // --file; "-" is standard input
    std::string Server;                  // --server; empty: find the server
    int32_t Speaker = 2;                 // --style belirgin (2, the default) or akici (1)
    int32_t Speed = 10;                  // --speed 0..20: 10 normal, 0 fastest, 20 slowest
    bool IsXml = false;                  // --xml
    std::optional<std::string> WavFile;  // --wav: write the PCM there instead of playing it
    std::optional<std::string> OggFile;  // --ogg: write it there as Ogg Vorbis instead
    bool NoPause = false;                // --no-pause
    bool Quiet = false;                  // --quiet
    bool Verbose = false;                // --verbose: the audio decoder's notes as they come
    bool Help = false;
    bool Version = false;
};

// Wrong usage: the text says what is wrong.
struct TUsageError {
    std::string Text;
};

// Reads the arguments (without the program name). "--name value" and "--name=value" both
// work; "--" ends the options. An argument "DemoServer=URL" (also "-DemoServer=" or
// "/DemoServer=", any letter case) is the server discovery's and is passed over here.
// Raises TUsageError.
TSayOptions ParseSayOptions(const std::vector<std::string> &args);

// The --help text.
extern const char *const SayUsage;
