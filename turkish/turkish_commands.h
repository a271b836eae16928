// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The service's command-line views of its Turkish text processing, for looking at what it
// does without a client:
//   narrelo-demoserver split                 UTF-8 text on standard input; each sentence
//                                            printed as one JSON string per line
//   narrelo-demoserver normalise [--kind K]  one UTF-8 value on standard input; its reading
// Both convert through Windows-1254 as the service's texts are.

#include <iosfwd>
#include <string>
#include <string_view>

// Runs `split` or `normalise` when args[1] names one (args as given to main) and returns
// its exit status: 0, or 2 for a bad option (with a message on `err`). Returns -1, and
// touches nothing, when args[1] is neither.
int RunTurkishCommand(int argc, const char *const *argv, std::istream &in, std::ostream &out, std::ostream &err);

// UTF-8 to the Windows-1254 text the library reads, by the same table the clients use
// (cp1254::FromUtf8ForSpeech): the lira sign "₺", which Windows-1254 lacks, becomes "TL" so
// that amounts written with it are read as amounts, emoji and symbols are dropped, and no
// character becomes "?".
std::string Windows1254ForSpeech(std::string_view utf8);

// `utf8` as a JSON string literal, quotes included.
std::string JsonString(std::string_view utf8);
