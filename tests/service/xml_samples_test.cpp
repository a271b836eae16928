// SPDX-License-Identifier: GPL-3.0-or-later
// The sample XML sentences shipped in the data folder: each one-kind sample is exactly what
// the sentence builder makes of its value, and the mixed sample is a well-formed document of
// several sentences that marks all five kinds. Both the source files and the staged copies
// the program reads from the build tree are checked.

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "foundation/code_page.h"
#include "service/xml_sentence.h"

namespace {

const std::filesystem::path SourceFolder = std::filesystem::path(NARRELO_SOURCE_DIR) / "resources/XML";
const std::filesystem::path StagedFolder =
    std::filesystem::path(NARRELO_BINARY_DIR) / "share/narrelo/XML";

std::string ReadBytes(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(XmlSamplesTest, OneKindSamplesAreBuilderSentences) {
    struct Case {
        const char *file;
        int kind;
        const char *valueUtf8;
    } const cases[] = {
        {"address.xml", 1, "Caferağa Mah. Moda Cad. Şair Nefi Sok. No: 12 Kat: 3 Daire: 7 Kadıköy/İstanbul"},
        {"commercial_title.xml", 2, "Boğaziçi Gıda Sanayi ve Ticaret A.Ş."},
        {"person_name.xml", 3, "Dr. Ayşe N. Yıldırım"},
        {"license_plate.xml", 4, "34 ABC 1907"},
        {"phone_number.xml", 5, "0 (212) 245 67 89"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string value = cp1254::FromUtf8(c.valueUtf8);
        const std::string expected(FormatXmlSentence(value.c_str(), c.kind).View());
        EXPECT_EQ(ReadBytes(SourceFolder / c.file), expected);
        EXPECT_EQ(ReadBytes(StagedFolder / c.file), expected);
    }
}

TEST(XmlSamplesTest, MixedSampleMarksEveryKindInSeveralSentences) {
    const std::string bytes = ReadBytes(SourceFolder / "mixed.xml");
    EXPECT_EQ(ReadBytes(StagedFolder / "mixed.xml"), bytes);

    // Every line ends in CR LF, and no byte is a UTF-8 lead: the file is Windows-1254.
    std::string withoutCrLf;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes.compare(i, 2, "\r\n") == 0) ++i;
        else withoutCrLf += bytes[i];
    }
    EXPECT_EQ(withoutCrLf.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find("\xC3"), std::string::npos);
    EXPECT_NE(bytes.find("A.\xDE."), std::string::npos) << "the title in Windows-1254";

    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size(),
                                                               pugi::parse_default, pugi::encoding_latin1);
    ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
    std::set<std::string> kinds;
    int sentences = 0;
    for (pugi::xml_node sentence : document.child("xml").children("SENTENCE")) {
        ++sentences;
        for (pugi::xml_node part : sentence.children("SENTENCEPART")) {
            kinds.insert(part.attribute("TEXTKIND").value());
            EXPECT_STRNE(part.child_value(), "");
        }
    }
    EXPECT_GT(sentences, 1);
    EXPECT_EQ(kinds, (std::set<std::string>{"1", "2", "3", "4", "5"}));
}

}  // namespace
