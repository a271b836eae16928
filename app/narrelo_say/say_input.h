#pragma once
// The text narrelo-say reads: taken from the command line, a file or standard input as
// UTF-8 and turned into the program's Windows-1254.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// Windows-1254 bytes of the UTF-8 `text` as they are read aloud (cp1254::FromUtf8ForSpeech),
// without a leading byte order mark; `leftOut` counts the characters left out as blanks.
std::string ReadingText(std::string_view text, int32_t &leftOut);

// All bytes of the file (UTF-8 name), or of standard input for "-". Raises TException
// "File Not Opened %s" or "File Not Readed %s". Returns early, with what was read, when
// `interrupted` becomes true while it waits for standard input.
std::string ReadAllInput(const std::string &path, const std::atomic<bool> &interrupted);
