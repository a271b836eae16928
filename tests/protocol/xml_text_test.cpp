// SPDX-License-Identifier: GPL-3.0-or-later
// Element text of the client's 8-bit strings: the bytes sent, and the bytes a service built
// on the same declarations reads back.

#include <gtest/gtest.h>

#include <string>

#include "protocol/xml_text.h"

namespace {

struct TextCase {
    const char *label;
    std::string bytes;
    std::string xml;
};

TEST(XmlTextTest, EscapeGivesTheWireBytes) {
    const TextCase cases[] = {
        {"plain ASCII unchanged", "Merhaba 123", "Merhaba 123"},
        {"markup characters", "a&b<c>d", "a&amp;b&lt;c&gt;d"},
        {"CR LF as references", "bir\r\niki", "bir&#xD;&#xA;iki"},
        {"tab, quotes and apostrophe unchanged", "\t\"'", "\t\"'"},
        {"Windows-1254 bytes travel as U+00xx", "\xC7\xFD", "\xC3\x87\xC3\xBD"},
        {"0x80 and 0xFF", "\x80\xFF", "\xC2\x80\xC3\xBF"},
        {"empty", "", ""},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(EscapeXmlText(c.bytes), c.xml);
        EXPECT_EQ(EscapeXmlText(c.bytes.c_str()), c.xml);
    }
    EXPECT_EQ(EscapeXmlText(static_cast<const char *>(nullptr)), "");
}

TEST(XmlTextTest, UnescapeReadsWhatAServiceReceives) {
    const TextCase cases[] = {
        {"entities", "&<>\"'", "&amp;&lt;&gt;&quot;&apos;"},
        {"character references", "AA\r\n", "&#65;&#x41;&#xD;&#xa;"},
        {"UTF-8 up to U+00FF", "\xC7\xFD", "\xC3\x87\xC3\xBD"},
        {"above U+00FF keeps the low 8 bits", "\x30\x31", "\xC4\xB0\xC4\xB1"},
        {"raw line feed", "a\nb", "a\nb"},
        {"CDATA taken literally", "x&amp;<y", "x<![CDATA[&amp;<]]>y"},
        {"unknown entity passes through", "&nbsp;", "&nbsp;"},
        {"bare ampersand passes through", "a & b", "a & b"},
        {"truncated UTF-8 passes through", "a\xC3", "a\xC3"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(UnescapeXmlText(c.xml), c.bytes);
    }
}

TEST(XmlTextTest, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    EXPECT_EQ(UnescapeXmlText(EscapeXmlText(all)), all);
}

}  // namespace
