// SPDX-License-Identifier: GPL-3.0-or-later
// What ParseSentences answers is built from: sentence ranges over Windows-1254 bytes, XML
// sentence documents, and the scrambled block the client's unscrambler must read back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "protocol/encrypted_raw_data_static.h"
#include "protocol/scrambled_block.h"
#include "server/sentence_splitter.h"
#include "speech/xml_sentences.h"

namespace {

std::vector<std::string> Pieces(const std::string &text, const std::vector<TTextRange> &ranges) {
    std::vector<std::string> pieces;
    for (const TTextRange &r : ranges) pieces.push_back(text.substr(size_t(r.Start), size_t(r.Length)));
    return pieces;
}

TEST(SentenceSplitterTest, RangesAreExactBytePositionsWithoutSurroundingBlanks) {
    const struct {
        const char *Label;
        std::string Text;
        std::vector<std::string> Sentences;
    } cases[] = {
        {"two sentences", "Merhaba dünya. Nasılsın?"_cp, {"Merhaba dünya."_cp, "Nasılsın?"_cp}},
        {"every Turkish letter", "çğıöşü ÇĞİÖŞÜ! Son."_cp, {"çğıöşü ÇĞİÖŞÜ!"_cp, "Son."_cp}},
        {"CR LF between", "Bir.\r\nİki.\r\n"_cp, {"Bir."_cp, "İki."_cp}},
        {"blank line without a stop", "Başlık\r\n\r\nMetin burada."_cp, {"Başlık"_cp, "Metin burada."_cp}},
        {"single line break without a stop", "Sayın Yetkili,\r\nMetin burada."_cp, {"Sayın Yetkili,\r\nMetin burada."_cp}},
        {"abbreviation and ordinal", "Dr. Ali 5. sınıfta. Son."_cp, {"Dr. Ali 5. sınıfta."_cp, "Son."_cp}},
        {"leading blanks", "  \t Tek cümle"_cp, {"Tek cümle"_cp}},
        {"blanks only", " \r\n\t ", {}},
        {"empty", "", {}},
        {"markup characters", "a & b < c > d. E"_cp, {"a & b < c > d."_cp, "E"_cp}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::vector<TTextRange> ranges = SplitIntoSentences(c.Text);
        EXPECT_EQ(Pieces(c.Text, ranges), c.Sentences);
    }
    // Positions count bytes: the two-byte UTF-8 letters of the source are one byte each.
    const std::string text = "Çiçek açtı. Güzel."_cp;
    const std::vector<TTextRange> ranges = SplitIntoSentences(text);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[1], (TTextRange{12, 6}));
}

const std::string BuiltSentence =
    "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"3\">\r\nAyşe &amp; Ali\r\n</SENTENCEPART>\r\n"
    "</SENTENCE>\r\n</xml>\r\n"_cp;

TEST(XmlSentencesTest, EachSentenceElementIsADocumentOfItsOwn) {
    const std::string document =
        "<xml>\r\n<SENTENCE>Bir <SENTENCEPART TEXTKIND=\"5\">0 212 555 00 00</SENTENCEPART></SENTENCE>\r\n"
        "<SENTENCE><SENTENCEPART TEXTKIND=\"1\">Gül Sok. 5</SENTENCEPART></SENTENCE><SENTENCE/>\r\n</xml>"_cp;
    const std::vector<TXmlSentence> sentences = ParseXmlSentences(document);
    ASSERT_EQ(sentences.size(), 3u);
    const std::string first =
        "<SENTENCE>Bir <SENTENCEPART TEXTKIND=\"5\">0 212 555 00 00</SENTENCEPART></SENTENCE>";
    EXPECT_EQ(sentences[0].Range, (TTextRange{7, int32_t(first.size())}));
    EXPECT_EQ(sentences[0].Document, "<xml>\r\n" + first + "\r\n</xml>\r\n");
    EXPECT_EQ(document.substr(size_t(sentences[1].Range.Start), size_t(sentences[1].Range.Length)),
              "<SENTENCE><SENTENCEPART TEXTKIND=\"1\">Gül Sok. 5</SENTENCEPART></SENTENCE>"_cp);
    EXPECT_EQ(document.substr(size_t(sentences[2].Range.Start), size_t(sentences[2].Range.Length)),
              "<SENTENCE/>");
    // Every sentence document parses again, with the same parts.
    EXPECT_EQ(XmlTextParts(sentences[0].Document),
              (std::vector<TXmlTextPart>{{0, "Bir"}, {5, "0 212 555 00 00"}}));
}

TEST(XmlSentencesTest, RangesComeFromTheParserNotFromTheText) {
    const struct {
        const char *Label;
        std::string Document;
        std::vector<std::string> Sentences;
    } cases[] = {
        {"a \"/>\" in an attribute value",
         "<xml><SENTENCE NOTE=\"a/>b\">Bir</SENTENCE><SENTENCE>İki</SENTENCE></xml>"_cp,
         {"<SENTENCE NOTE=\"a/>b\">Bir</SENTENCE>", "<SENTENCE>İki</SENTENCE>"_cp}},
        {"an end tag in a comment",
         "<xml><SENTENCE>Bir<!-- </SENTENCE> --> son</SENTENCE>\n</xml>",
         {"<SENTENCE>Bir<!-- </SENTENCE> --> son</SENTENCE>"}},
        {"an end tag in CDATA",
         "<xml><SENTENCE><![CDATA[</SENTENCE>]]></SENTENCE></xml>",
         {"<SENTENCE><![CDATA[</SENTENCE>]]></SENTENCE>"}},
        {"blanks inside the end tag, a sentence deep inside",
         "<xml><a><b><SENTENCE>x</SENTENCE  ></b></a><!-- c --></xml>",
         {"<SENTENCE>x</SENTENCE  >"}},
        {"the last element of the document",
         "<xml>\r\n<SENTENCE>x</SENTENCE></xml>\r\n",
         {"<SENTENCE>x</SENTENCE>"}},
        {"self-closing with \">\" in an attribute",
         "<xml><SENTENCE A=\"1>2\"/><SENTENCE/></xml>",
         {"<SENTENCE A=\"1>2\"/>", "<SENTENCE/>"}},
        {"the document is the sentence", "  <SENTENCE>x</SENTENCE>\n<!-- c -->\n",
         {"<SENTENCE>x</SENTENCE>"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::vector<TXmlSentence> sentences = ParseXmlSentences(c.Document);
        std::vector<std::string> texts;
        for (const TXmlSentence &sentence : sentences)
            texts.push_back(c.Document.substr(size_t(sentence.Range.Start), size_t(sentence.Range.Length)));
        EXPECT_EQ(texts, c.Sentences);
    }
}

TEST(XmlSentencesTest, NestingIsBounded) {
    const auto nested = [](const std::string &name, int depth) {
        std::string document;
        for (int i = 0; i < depth; ++i) document += "<" + name + ">";
        document += "x";
        for (int i = 0; i < depth; ++i) document += "</" + name + ">";
        return document;
    };
    const struct {
        const char *Label;
        std::string Document;
        const char *Says;
    } cases[] = {
        {"a sentence in a sentence", "<xml><SENTENCE>a<SENTENCE>b</SENTENCE></SENTENCE></xml>",
         "a SENTENCE inside another SENTENCE"},
        {"deep inside a sentence",
         "<xml><SENTENCE>" + nested("b", 5) + nested("SENTENCE", 2) + "</SENTENCE></xml>",
         "a SENTENCE inside another SENTENCE"},
        // Some 9,000 levels once overflowed the stack.
        {"9,000 levels", nested("a", 9000), "nested deeper than"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        try {
            ParseXmlSentences(c.Document);
            ADD_FAILURE() << "no error";
        } catch (const TXmlSentenceError &e) {
            EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(XmlTextParts(nested("SENTENCEPART", 9000)), TXmlSentenceError);
    EXPECT_EQ(XmlTextParts(nested("SENTENCEPART", 20)), (std::vector<TXmlTextPart>{{0, "x"}}));
}

// Whatever the reader accepts, each sentence document it hands on parses by itself and holds
// that one sentence; texts with bytes the parser stops at (NUL, invalid bytes after a
// sentence) are refused with the XML message instead.
TEST(XmlSentencesTest, EverySentenceHandedOnStandsAlone) {
    using namespace std::string_literals;
    const std::string hostile[] = {
        "<xml><SENTENCE>a</SENTENCE>\xFF\0\0</xml>"s,
        "<SENTENCE>a</SENTENCE>\xFF\0"s,
        "<SENTENCE>a</SENTENCE>\0\0x"s,
        "<xml><SENTENCE>a</SENTENCE>\0<b></xml>"s,
        "<SENTENCE>a</SENTENCE>\0</x>"s,
        "<xml><SENTENCE>a\0</SENTENCE></xml>"s,
        "<xml><SENTENCE>a</SENTENCE> \0 </xml>"s,
        "<xml>\r\n<SENTENCE>a</SENTENCE>\xFE\0\0\0<SENTENCE>b</SENTENCE></xml>"s,
        "<xml><SENTENCE>a</SENTENCE><!--\0--></xml>"s,
        "<xml><SENTENCE>a</SENTENCE></xml>\0\xFF"s,
        "<SENTENCE>a</SENTENCE>\xFF"s,
        "<xml><SENTENCE>a</SENTENCE>\xFF\xFE</xml>"s,
        "<xml><SENTENCE>a</SENTENCE><![CDATA[\xFF]]></xml>"s,
    };
    for (const std::string &document : hostile) {
        SCOPED_TRACE(::testing::PrintToString(document));
        std::vector<TXmlSentence> sentences;
        try {
            sentences = ParseXmlSentences(document);
        } catch (const TXmlSentenceError &e) {
            EXPECT_NE(std::string(e.what()).find("XML error"), std::string::npos) << e.what();
            continue;
        }
        for (const TXmlSentence &sentence : sentences) {
            SCOPED_TRACE(::testing::PrintToString(sentence.Document));
            std::vector<TXmlSentence> again;
            EXPECT_NO_THROW(again = ParseXmlSentences(sentence.Document));
            EXPECT_EQ(again.size(), 1u);
        }
    }
}

TEST(XmlSentencesTest, TheBuildersDocumentGivesItsValueInWindows1254) {
    const std::vector<TXmlSentence> sentences = ParseXmlSentences(BuiltSentence);
    ASSERT_EQ(sentences.size(), 1u);
    EXPECT_EQ(XmlTextParts(sentences[0].Document),
              (std::vector<TXmlTextPart>{{3, "Ayşe & Ali"_cp}}));
}

TEST(XmlSentencesTest, AMalformedDocumentNamesItsLine) {
    const struct {
        const char *Label;
        std::string Document;
        std::string Line;
    } cases[] = {
        {"unclosed part", "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART>\r\nx\r\n</SENTENCE>\r\n</xml>", "line 5"},
        {"bare less-than", "<xml>\n<SENTENCE>a < b</SENTENCE>\n</xml>", "line 2"},
        {"not XML at all", "Merhaba", "line 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        try {
            ParseXmlSentences(c.Document);
            ADD_FAILURE() << "no error";
        } catch (const TXmlSentenceError &e) {
            EXPECT_NE(std::string(e.what()).find("XML error on " + c.Line), std::string::npos)
                << e.what();
        }
    }
}

TEST(ScrambledBlockTest, TheClientsUnscramblerGivesThePayloadBack) {
    for (size_t size : {1u, 255u, 256u, 257u, 300u, 5000u}) {
        SCOPED_TRACE(size);
        std::string payload, selectors;
        for (size_t i = 0; i < size; ++i) payload += char(i * 7 + 3);
        for (size_t i = 0; i < SelectorCount(size); ++i) selectors += char(250 - i * 13);
        std::string block = ScrambleBlock(payload, selectors);
        ASSERT_EQ(block.size(), 8 + size + SelectorCount(size));
        EXPECT_NE(block.substr(8, size), payload);
        TEnCryptedRawDataStatic raw;
        raw.Unscramble(block.data(), int32_t(block.size()));
        ASSERT_EQ(raw.PayloadSize(), int32_t(size));
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(raw.Payload()), size), payload);
    }
}

}  // namespace
