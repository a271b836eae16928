// SPDX-License-Identifier: GPL-3.0-or-later
// Records: serialisation against a hex fixture, the load and save steps with their
// notifications, copying, files and settings values.
#include "records/valtrosa_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "tests/records/support/sample_record.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/raised_message.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The record of fixtures/sample_record.hex.
void MakeSample(TSample &s) {
    s.Number = 0x01020304;
    s.Name.Assign("A\xF0");
    s.Flag = 7;
    s.On = true;
    s.Data.Write("\xAA\xBB", 2);
    s.Children.Add(new TSample);
}

Bytes Serialise(TValtrosaFile &record) {
    TMemoryStream stream;
    record.SaveToStream(stream);
    return Contents(stream);
}

// Records every notification as "<listener>.<event>".
class Recorder : public TEventHandler_ValtrosaFile {
public:
    Recorder(std::string name, std::vector<std::string> &log) : name_(std::move(name)), log_(log) {}
    void AfterLoad(TValtrosaFile *) override { log_.push_back(name_ + ".AfterLoad"); }
    void AfterChange(TValtrosaFile *) override { log_.push_back(name_ + ".AfterChange"); }
    void BeforeLoad(TValtrosaFile *) override { log_.push_back(name_ + ".BeforeLoad"); }
    void AfterSave(TValtrosaFile *) override { log_.push_back(name_ + ".AfterSave"); }
    void BeforeSave(TValtrosaFile *) override { log_.push_back(name_ + ".BeforeSave"); }

private:
    std::string name_;
    std::vector<std::string> &log_;
};

TEST(ValtrosaFile, BodyMatchesTheFixtureBothWays) {
    const Bytes fixture = HexFixture("sample_record.hex");
    TSample written;
    MakeSample(written);
    EXPECT_EQ(Serialise(written), fixture);

    TMemoryStream stream;
    Fill(stream, fixture);
    TSample read;
    read.SetCurrentStream(&stream);
    read.LoadBody();
    EXPECT_EQ(stream.Position(), int32_t(fixture.size()));
    EXPECT_EQ(read.Number, 0x01020304);
    EXPECT_STREQ(read.Name.Text(), "A\xF0");
    EXPECT_EQ(read.Flag, 7);
    EXPECT_TRUE(read.On);
    EXPECT_EQ(Contents(read.Data), (Bytes{0xAA, 0xBB}));
    ASSERT_EQ(read.Children.Count(), 1);
    EXPECT_EQ(read.Children.Item(0)->Number, -1);
    EXPECT_EQ(Serialise(read), fixture);
}

TEST(ValtrosaFile, NotificationOrder) {
    std::vector<std::string> log;
    Recorder first("first", log), second("second", log);
    TSample record;
    record.Listeners().InsertFirst(&first);
    record.Listeners().InsertFirst(&second);  // index 0 now

    Bytes body = Serialise(record);
    EXPECT_EQ(log, (std::vector<std::string>{"first.BeforeSave", "second.BeforeSave", "first.AfterSave",
                                             "second.AfterSave"}));
    log.clear();
    TMemoryStream stream;
    Fill(stream, body);
    record.SetCurrentStream(&stream);
    record.LoadBody();
    EXPECT_EQ(log, (std::vector<std::string>{"first.BeforeLoad", "second.BeforeLoad", "second.AfterLoad",
                                             "first.AfterLoad"}));
    log.clear();
    record.SuppressBeforeSave = true;
    Serialise(record);
    EXPECT_EQ(log, (std::vector<std::string>{"first.AfterSave", "second.AfterSave"}));
    log.clear();
    record.SuppressAfterSave = true;
    Serialise(record);
    EXPECT_TRUE(log.empty());

    record.Listeners().AfterChange(&record);  // the broadcast, in index order
    EXPECT_EQ(log, (std::vector<std::string>{"second.AfterChange", "first.AfterChange"}));
}

TEST(ValtrosaFile, AssignGivesByteIdenticalRecords) {
    TSample source;
    MakeSample(source);
    source.Children.Item(0)->Name.Assign("child");
    TSample target;
    target.Assign(source);
    EXPECT_EQ(target.CurrentStream(), nullptr);  // never left on the discarded stream
    EXPECT_EQ(source.CurrentStream(), nullptr);
    EXPECT_EQ(Serialise(target), Serialise(source));

    // Clear does nothing in this record, so a second Assign appends to the nested list.
    target.Assign(source);
    EXPECT_EQ(target.Children.Count(), 2);
}

TEST(ValtrosaFile, AssignQuietlySilencesTheSourceAndRestoresItsFlags) {
    std::vector<std::string> log;
    Recorder recorder("source", log);
    TSample source;
    source.Listeners().InsertFirst(&recorder);
    source.SuppressAfterSave = true;
    TSample target;
    target.AssignQuietly(source);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(source.SuppressBeforeSave);
    EXPECT_TRUE(source.SuppressAfterSave);

    // A failing copy restores the flags too.
    class Broken : public TSample {
    public:
        void ReadFromStream() override { RaiseError("broken"); }
    } broken;
    EXPECT_EQ(MessageOf([&] { broken.AssignQuietly(source); }), "broken");
    EXPECT_FALSE(source.SuppressBeforeSave);
    EXPECT_TRUE(source.SuppressAfterSave);
    target.Assign(source);
    EXPECT_EQ(log, (std::vector<std::string>{"source.BeforeSave"}));
}

TEST(ValtrosaFile, SaveToFileBufferedAndUnbufferedAreIdentical) {
    const std::string folder = ::testing::TempDir();
    TSample record;
    MakeSample(record);
    const std::string buffered = folder + "/narrelo_buffered.bin", direct = folder + "/narrelo_direct.bin";
    record.SaveToFile(buffered.c_str());
    EXPECT_STREQ(record.FileName.Text(), buffered.c_str());
    record.BufferedSave = false;
    record.SaveToFile(direct.c_str());
    EXPECT_STREQ(record.FileName.Text(), direct.c_str());
    const Bytes fixture = HexFixture("sample_record.hex");
    const std::string b = TempConfigHome::ReadFile(buffered), d = TempConfigHome::ReadFile(direct);
    EXPECT_EQ(Bytes(b.begin(), b.end()), fixture);
    EXPECT_EQ(d, b);
    std::filesystem::remove(buffered);
    std::filesystem::remove(direct);

    const std::string bad = folder + "/no/such/folder/x.bin";
    EXPECT_EQ(MessageOf([&] { record.SaveToFile(bad.c_str()); }), "File Not Opened " + bad);
    EXPECT_STREQ(record.FileName.Text(), direct.c_str());

    // /dev/full opens but refuses every byte, as a full disk does: neither way may pass
    // for a save.
    for (const bool bufferedSave : {true, false}) {
        record.BufferedSave = bufferedSave;
        EXPECT_EQ(MessageOf([&] { record.SaveToFile("/dev/full"); }), "File Not Written /dev/full");
        EXPECT_STREQ(record.FileName.Text(), direct.c_str());
    }
}

// A record that also keeps a setting through the registry hooks.
class TSettingSample : public TSample {
public:
    void WriteToRegistry(TRegistry &registry) override { registry.WriteInt(u"Number", Number); }
    void ReadFromRegistry(TRegistry &registry) override { Number = registry.ReadInt(u"Number"); }
};

TEST(ValtrosaFile, SettingsValues) {
    TempConfigHome home;
    const char16_t *key = u"Software\\Valtrosa\\Records";
    TSample record;
    MakeSample(record);

    EXPECT_EQ(MessageOf([&] { record.SaveToRegistryValue(HKEY_CURRENT_USER, key, u"Body"); }),
              "Key Software\\Valtrosa\\Records Not Opened 1.\r\nNo such file or directory (2)");
    EXPECT_FALSE(std::filesystem::exists(home.StorePath()));
    record.SaveToRegistryValueCreating(HKEY_CURRENT_USER, key, u"Body");
    {
        TSettingsStore store;
        TSettingsKey k;
        ASSERT_FALSE(store.OpenKey(key, k));
        uint32_t type = 0;
        Bytes data;
        ASSERT_FALSE(store.QueryValue(k, u"Body", &type, &data, nullptr));
        EXPECT_EQ(type, REG_BINARY);
        EXPECT_EQ(data, HexFixture("sample_record.hex"));
    }
    TSample copy;
    copy.LoadFromRegistryValue(HKEY_CURRENT_USER, key, u"body");
    EXPECT_EQ(Serialise(copy), Serialise(record));

    // A missing value: the plain load reads an empty body and fails, the creating one keeps
    // the record as it is.
    TSample fresh;
    EXPECT_EQ(MessageOf([&] { fresh.LoadFromRegistryValue(HKEY_CURRENT_USER, key, u"Missing"); }),
              "not readed from stream");
    fresh.LoadFromRegistryValueCreating(HKEY_CURRENT_USER, u"Software\\Valtrosa\\New", u"Missing");
    EXPECT_EQ(fresh.Number, -1);
    TSettingsStore store;
    TSettingsKey created;
    EXPECT_FALSE(store.OpenKey(u"Software\\Valtrosa\\New", created));
}

TEST(ValtrosaFile, RegistryHooks) {
    TempConfigHome home;
    TSettingSample record;
    record.Number = 42;
    EXPECT_EQ(MessageOf([&] { record.SaveToRegistry(HKEY_CURRENT_USER, u"Software\\S", false); }),
              "Key Software\\S Not Opened 1.\r\nNo such file or directory (2)");
    record.SaveToRegistry(HKEY_CURRENT_USER, u"Software\\S", true);
    TSettingSample loaded;
    loaded.LoadFromRegistry(HKEY_CURRENT_USER, u"software\\s");
    EXPECT_EQ(loaded.Number, 42);
}

}  // namespace
