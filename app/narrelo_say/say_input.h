// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text narrelo-say reads: taken from the command line, a file or standard input as
// UTF-8 and turned into the program's Windows-1254.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Windows-1254 bytes of the UTF-8 `text` as they are read aloud (cp1254::FromUtf8ForSpeech),
// without a leading byte order mark; `leftOut` counts the characters left out as blanks.
std::string ReadingText(std::string_view text, int32_t &leftOut);

// A sentence the service refused as too long to speak (it takes at most 48 KiB of words to
// say in one, counted after numbers and the like are spelled out, which can make a text
// five times longer) is read in pieces of at most `limit` bytes: each cut after the last
// line break within the limit, else after the last blank, else at the limit itself. Blank
// pieces are left out.
inline constexpr size_t OverlongPieceLimit = 8 * 1024;
std::vector<std::string> CutOverlongSentence(std::string_view sentence, size_t limit);

// The text of a reading in parts the service takes one at a time: Windows-1254 text (as
// ReadingText makes it) of at most PartLimit bytes, cut after a paragraph, else after a
// sentence's end, else at a line break or a blank, so that no sentence is split where the
// text gives a better place. The source is the TEXT arguments, or a file or standard input
// read as it goes, so a book streamed through a pipe is held one part at a time.
class TTextParts {
public:
    static constexpr size_t PartLimit = 60000;  // under the service's 64 KiB for one text
    static constexpr int64_t InputLimit = int64_t(64) << 20;  // bytes of UTF-8 in all

    // The text itself (UTF-8).
    explicit TTextParts(std::string text);
    // A file (UTF-8 name), or standard input for "-"; opened by the first Next. Reading
    // returns early when `interrupted` becomes true while it waits.
    TTextParts(std::string path, const std::atomic<bool> &interrupted);
    ~TTextParts();
    TTextParts(const TTextParts &) = delete;
    TTextParts &operator=(const TTextParts &) = delete;

    // The next part into `part`; false at the end of the text. Raises TException "File Not
    // Opened %s", "File Not Readed %s", or the refusal of an input longer than InputLimit
    // (a file before anything is read, a stream when it passes the bound).
    bool Next(std::string &part);
    // Characters left out so far (see ReadingText).
    int32_t LeftOut() const { return leftOut_; }
    // The whole text's length in Windows-1254 bytes: exact for TEXT, estimated for a
    // regular file from its size and what its bytes became so far; -1 for a stream.
    int64_t EstimatedTotal() const;
    // Nothing is left to hand out: the input has ended and every part was taken.
    bool AtEnd() const { return ended_ && buffer_.empty() && pending_.empty(); }

private:
    void Fill();  // reads until a whole part is buffered or the input ends

    std::string path_;
    const std::atomic<bool> *interrupted_ = nullptr;
    int fd_ = -1;
    bool opened_ = false;
    bool ended_ = false;
    bool started_ = false;       // past a leading byte order mark
    int64_t readBytes_ = 0;
    int64_t fileSize_ = -1;      // of a regular file
    int64_t converted_ = 0;      // Windows-1254 bytes made so far
    std::string pending_;        // UTF-8 bytes of a character not yet whole
    std::string buffer_;         // converted text not yet handed out
    int32_t leftOut_ = 0;
};
