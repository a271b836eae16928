// SPDX-License-Identifier: GPL-3.0-or-later
// TRegistry and the setting operations against a real settings store in a per-test
// XDG_CONFIG_HOME. Stored bytes are checked through the store itself, so that the registry's
// encoding (UTF-16LE strings without terminator, 4-byte little-endian integers) is pinned.
#include "foundation/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "tests/support/temp_config_home.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RegistryTest : public ::testing::Test {
protected:
    // Raw access to what the registry stored.
    Bytes Stored(const char16_t *key, const char16_t *name, uint32_t *type = nullptr) {
        TSettingsStore store;
        TSettingsKey k;
        EXPECT_FALSE(store.OpenKey(key, k));
        Bytes data;
        EXPECT_FALSE(store.QueryValue(k, name, type, &data, nullptr));
        return data;
    }
    void Store(const char16_t *key, const char16_t *name, uint32_t type, const Bytes &data) {
        TSettingsStore store;
        TSettingsKey k;
        ASSERT_FALSE(store.CreateKey(key, k));
        ASSERT_FALSE(store.SetValue(k, name, type, data.data(), data.size()));
    }
    template <typename F>
    static std::string MessageOf(F &&f) {
        try {
            f();
        } catch (const TCustomException &e) {
            return e.Message();
        }
        return "<nothing raised>";
    }

    TempConfigHome home_;
};

TEST_F(RegistryTest, InterfaceLanguageSetting) {
    EXPECT_EQ(ReadInterfaceIsEnglish(), 0);
    EXPECT_FALSE(std::filesystem::exists(home_.StorePath())) << "a read created the store";

    WriteInterfaceIsEnglish(1);
    uint32_t type = 0;
    EXPECT_EQ(Stored(u"Software\\Valtrosa\\Narrelo", u"InterfaceIsEnglish", &type), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(ReadInterfaceIsEnglish(), 1);

    WriteInterfaceIsEnglish(0);
    EXPECT_EQ(ReadInterfaceIsEnglish(), 0);
}

TEST_F(RegistryTest, InterfaceLanguageWithKeyButNoValue) {
    Store(u"Software\\Valtrosa\\Narrelo", u"Other", REG_DWORD, {5, 0, 0, 0});
    EXPECT_EQ(ReadInterfaceIsEnglish(), 0);
}

TEST_F(RegistryTest, MakerSettings) {
    EXPECT_STREQ(ReadMakerSetting(u"DemoServer").Text(), "");
    Store(u"Software\\Valtrosa", u"DefaultDemoServer", REG_SZ, {'h', 0, 'o', 0});
    EXPECT_STREQ(ReadMakerSetting(u"DemoServer").Text(), "");  // key present, value missing
    EXPECT_STREQ(ReadMakerSetting("defaultdemoserver").Text(), "ho");
    // Keys and names compare without regard to case.
    Store(u"SOFTWARE\\VALTROSA", u"DEMOSERVER", REG_SZ, {'x', 0});
    EXPECT_STREQ(ReadMakerSetting(u"DemoServer").Text(), "x");
}

TEST_F(RegistryTest, StringsAreUtf16WithoutTerminator) {
    TRegistry writer(HKEY_CURRENT_USER, u"Software\\Valtrosa\\Quellar\\Narrelo");
    writer.CreateIfMissing = true;
    writer.WriteString(u"UserName", "abc", 3);
    EXPECT_EQ(Stored(u"Software\\Valtrosa\\Quellar\\Narrelo", u"UserName"), (Bytes{'a', 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(writer.GetDataSize(u"UserName"), 6);

    const char *turkish = "İğ"_cp;  // Windows-1254 DD F0 -> U+0130 U+011F
    writer.WriteString(u"Password", turkish, 2);
    EXPECT_EQ(Stored(u"Software\\Valtrosa\\Quellar\\Narrelo", u"Password"), (Bytes{0x30, 0x01, 0x1F, 0x01}));
    EXPECT_STREQ(writer.ReadString(u"Password").Text(), turkish);
}

TEST_F(RegistryTest, StringDataReadRules) {
    struct Case {
        const char *label;
        Bytes data;
        const char *expected;
    } cases[] = {
        {"no terminator", {'a', 0, 'b', 0}, "ab"},
        {"with terminator", {'a', 0, 'b', 0, 0, 0}, "ab"},
        {"stops at an embedded NUL", {'a', 0, 0, 0, 'b', 0}, "a"},
        {"odd last byte ignored", {'a', 0, 'b'}, "a"},
        {"empty data", {}, ""},
        {"one byte", {'a'}, ""},
        {"character without a 1254 byte", {0x3A, 0x04}, "?"},
    };
    for (const Case &c : cases) {
        Store(u"K", u"S", REG_SZ, c.data);
        TRegistry registry(HKEY_CURRENT_USER, u"K");
        MyString text = registry.ReadString(u"S");
        ASSERT_NE(text.Text(), nullptr) << c.label;
        EXPECT_STREQ(text.Text(), c.expected) << c.label;
    }
}

TEST_F(RegistryTest, ReadIntSizeRules) {
    struct Case {
        const char *label;
        Bytes data;
        int32_t expected;
    } cases[] = {
        {"four bytes", {0x78, 0x56, 0x34, 0x12}, 0x12345678},
        {"negative", {0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {"two bytes fill the low half", {0x34, 0x12}, 0x1234},
        {"one byte", {0x80}, 0x80},
    };
    for (const Case &c : cases) {
        Store(u"K", u"I", REG_BINARY, c.data);  // the type is not looked at
        TRegistry registry(HKEY_CURRENT_USER, u"K");
        EXPECT_EQ(registry.ReadInt(u"I"), c.expected) << c.label;
    }

    Store(u"K", u"Eight", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8});
    Store(u"K", u"Empty", REG_DWORD, {});
    TRegistry registry(HKEY_CURRENT_USER, u"K");
    try {
        registry.ReadInt(u"Eight");
        FAIL() << "8 bytes were read as an integer";
    } catch (const TOSException &e) {
        EXPECT_STREQ(e.Message(), "Error On Registry.GetData. Value too large for defined data type (75)");
        EXPECT_EQ(e.ErrorCode(), 75);
    }
    EXPECT_EQ(MessageOf([&] { registry.ReadInt(u"Empty"); }), "Registry.ReadInt.GetDataSize Invalid Len 0");
    EXPECT_EQ(MessageOf([&] { registry.ReadInt(u"Missing"); }),
              "Error On GetDataSize.RegQueryValueEx. No such file or directory (2)");
}

TEST_F(RegistryTest, CreateIfMissingWritesDefaults) {
    TRegistry registry(HKEY_CURRENT_USER, u"Software\\New");
    registry.CreateIfMissing = true;
    EXPECT_STREQ(registry.ReadString(u"Text").Text(), "");
    EXPECT_EQ(registry.ReadInt(u"Number"), 0);
    uint32_t type = 0;
    EXPECT_EQ(Stored(u"Software\\New", u"Text", &type), Bytes{});
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Stored(u"Software\\New", u"Number", &type), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(type, REG_DWORD);
}

TEST_F(RegistryTest, WriteIntThenValueExists) {
    TRegistry registry(HKEY_CURRENT_USER, "Software\\Valtrosa");
    // Writing opens the key first, which needs it to exist unless CreateIfMissing is set.
    EXPECT_EQ(MessageOf([&] { registry.WriteInt(u"N", -2); }),
              "Key Software\\Valtrosa Not Opened 1.\r\nNo such file or directory (2)");
    registry.CreateIfMissing = true;
    registry.WriteInt(u"N", -2);
    EXPECT_TRUE(registry.ValueExists(u"N"));
    EXPECT_TRUE(registry.ValueExists(u"n"));
    EXPECT_FALSE(registry.ValueExists(u"M"));
    EXPECT_EQ(Stored(u"Software\\Valtrosa", u"N"), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(registry.DeleteValue(u"N"));
    EXPECT_FALSE(registry.DeleteValue(u"N"));
    EXPECT_FALSE(registry.ValueExists(u"N"));
}

TEST_F(RegistryTest, BinaryReads) {
    Store(u"K", u"Blob", REG_BINARY, {9, 8, 7});
    TRegistry registry(HKEY_CURRENT_USER, u"K");
    uint8_t buffer[4] = {0, 0, 0, 0};
    EXPECT_EQ(registry.ReadBinary(u"Blob", buffer, 4), 3);
    EXPECT_EQ(buffer[2], 7);
    EXPECT_EQ(MessageOf([&] { registry.ReadBinary(u"Blob", buffer, 2); }), "SubKey Not Opened4 Blob");
    EXPECT_EQ(MessageOf([&] { registry.ReadBinary(u"Nope", buffer, 4); }), "SubKey Not Opened4 Nope");

    TMemoryStream stream;
    stream.Write("xy", 2);
    registry.ReadStream(u"Blob", stream);
    ASSERT_EQ(stream.DataSize(), 3);
    EXPECT_EQ(stream.Memory()[0], 9);
    registry.ReadStream(u"Nope", stream);  // left alone
    EXPECT_EQ(stream.DataSize(), 3);
    Store(u"K", u"Zero", REG_BINARY, {});
    registry.ReadStream(u"Zero", stream);
    EXPECT_EQ(stream.DataSize(), 3);
}

TEST_F(RegistryTest, OpenFailures) {
    TRegistry missing(HKEY_CURRENT_USER, "Software\\Yok\\Ağaç"_cp);
    EXPECT_EQ(MessageOf([&] { missing.SetOpen(true); }),
              std::string("Key ") + "Software\\Yok\\Ağaç"_cp + " Not Opened 1.\r\nNo such file or directory (2)");
    EXPECT_STREQ(missing.KeyPathText().Text(), "Software\\Yok\\Ağaç"_cp);
    EXPECT_FALSE(std::filesystem::exists(home_.StorePath()));

    TRegistry otherRoot(0x80000002, u"Software");
    EXPECT_EQ(MessageOf([&] { otherRoot.SetOpen(true); }), "Key Software Not Opened 1.\r\nInvalid argument (22)");
    EXPECT_EQ(MessageOf([&] { otherRoot.CreateKey(); }), "Create Key Failed.\r\n22 Invalid argument (22)");

    TRegistry closed(HKEY_CURRENT_USER, u"K");
    EXPECT_EQ(MessageOf([&] { closed.WriteData(u"v", REG_DWORD, "1234", 4); }),
              std::string("Sistem Kaydı Yazılamadı."_cp) + "\r\nBad file descriptor (9)");
}

TEST_F(RegistryTest, SetOpenCloses) {
    TRegistry registry(HKEY_CURRENT_USER, u"K");
    registry.CreateIfMissing = true;
    registry.SetOpen(true);
    EXPECT_TRUE(registry.IsOpen());
    registry.SetOpen(true);  // no change
    registry.SetOpen(false);
    EXPECT_FALSE(registry.IsOpen());
    registry.SetOpen(false);
    EXPECT_FALSE(registry.IsOpen());
}

TEST_F(RegistryTest, CorruptStoreIsReportedNotReplaced) {
    const std::string garbage = "this is not a database, only some bytes" + std::string(2000, '\x01');
    TempConfigHome::WriteFile(home_.StorePath(), garbage);
    const std::string notADatabase = "file is not a database (26)";
    EXPECT_EQ(MessageOf([] { ReadInterfaceIsEnglish(); }),
              "Key Software\\Valtrosa\\Narrelo Not Opened 1.\r\n" + notADatabase);
    EXPECT_EQ(MessageOf([] { ReadMakerSetting(u"DemoServer"); }),
              "Key Software\\Valtrosa Not Opened 1.\r\n" + notADatabase);
    EXPECT_EQ(MessageOf([] { WriteInterfaceIsEnglish(1); }), "Create Key Failed.\r\n26 " + notADatabase);
    TRegistry registry(HKEY_CURRENT_USER, u"K");
    EXPECT_EQ(MessageOf([&] { registry.SetOpen(true); }), "Key K Not Opened 1.\r\n" + notADatabase);
    EXPECT_EQ(TempConfigHome::ReadFile(home_.StorePath()), garbage);
}

}  // namespace
