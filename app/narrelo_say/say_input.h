// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text narrelo-say reads: taken from the command line, a file or standard input as
// UTF-8 and turned into the program's Windows-1254.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The bytes of a text as they come, in the encodings people have, made UTF-8: UTF-8 (a
// leading byte order mark skipped), UTF-16 little- or big-endian by their byte order marks
// (Windows' "Unicode" text; an unpaired surrogate becomes U+FFFD), and, when the first
// bytes are not UTF-8 (more bytes that are no UTF-8 than multi-byte characters that are),
// Windows-1254. Decided once, on the first bytes.
class TTextDecoder {
public:
    enum class TEncoding { Unknown, Utf8, Utf16Le, Utf16Be, Windows1254 };

    // Takes from the front of `raw` what is whole and returns it as UTF-8; a character cut
    // off at the end of `raw` stays there for the next call, unless `end` (no more comes).
    std::string Take(std::string &raw, bool end);
    TEncoding Encoding() const { return encoding_; }

private:
    TEncoding encoding_ = TEncoding::Unknown;
    char32_t highSurrogate_ = 0;  // UTF-16: waiting for its low half
};

// Windows-1254 bytes of the UTF-8 `text` as they are read aloud (cp1254::FromUtf8ForSpeech),
// soft hyphens (U+00AD) dropped as readers drop them; `leftOut` counts the characters left
// out as blanks.
std::string ReadingText(std::string_view text, int32_t &leftOut);

// A sentence the service refused as too long to speak (it takes at most 48 KiB of words to
// say in one, counted after numbers and the like are spelled out, which can make a text
// five times longer) is read in pieces of at most `limit` bytes: each cut after the last
// line break within the limit, else after the last blank, else at the limit itself. Blank
// pieces are left out.
inline constexpr size_t OverlongPieceLimit = 8 * 1024;
std::vector<std::string> CutOverlongSentence(std::string_view sentence, size_t limit);

// An XML text (Windows-1254) in parts of at most `limit` bytes that each stand as a document:
// cut only between the root element's children (the sentence elements), each part the
// text before the root's children (declaration, root start tag), a run of whole children,
// and the root's end tag with what follows it. A text within the limit, or one whose root
// cannot be found, is one part as it is; a child longer than the limit is a part of its own.
std::vector<std::string> XmlTextParts(const std::string &document, size_t limit);

// The text of a reading in parts the service takes one at a time: Windows-1254 text (as
// TTextDecoder and ReadingText make it) of at most PartLimit bytes, cut after a paragraph, else after a
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
    // For an XML text: read whole, then handed out as XmlTextParts cuts it. Before the
    // first Next.
    void SetXml(bool xml) { xml_ = xml; }
    ~TTextParts();
    TTextParts(const TTextParts &) = delete;
    TTextParts &operator=(const TTextParts &) = delete;

    // The next part into `part`; false at the end of the text. Raises TException "File Not
    // Opened %s: <cause>", "File Not Readed %s: <cause>", or the refusal of an input longer than InputLimit
    // (a file before anything is read, a stream when it passes the bound).
    bool Next(std::string &part);
    // Characters left out so far (see ReadingText).
    int32_t LeftOut() const { return leftOut_; }
    // The text was not UTF-8 and is read as Windows-1254.
    bool ReadAsWindows1254() const { return decoder_.Encoding() == TTextDecoder::TEncoding::Windows1254; }
    // The whole text's length in Windows-1254 bytes: exact for TEXT, estimated for a
    // regular file from its size and what its bytes became so far; -1 for a stream.
    int64_t EstimatedTotal() const;
    // Nothing is left to hand out: the input has ended and every part was taken.
    bool AtEnd() const { return ended_ && buffer_.empty() && pending_.empty() && xmlParts_.empty(); }

private:
    void Fill();  // reads until a whole part is buffered or the input ends

    std::string path_;
    const std::atomic<bool> *interrupted_ = nullptr;
    int fd_ = -1;
    bool opened_ = false;
    bool ended_ = false;
    TTextDecoder decoder_;
    bool xml_ = false;
    std::vector<std::string> xmlParts_;  // what is left to hand out of an XML text, reversed
    int64_t readBytes_ = 0;
    int64_t fileSize_ = -1;      // of a regular file
    int64_t converted_ = 0;      // Windows-1254 bytes made so far
    std::string pending_;        // bytes read of a character not yet whole
    std::string buffer_;         // converted text not yet handed out
    int32_t leftOut_ = 0;
};
