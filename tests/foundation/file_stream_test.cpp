// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/file_stream.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"

namespace {

class FileStreamTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("narrelo-fs-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string PathOf(const std::string &name) { return (dir_ / name).string(); }
    std::string ReadAll(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path dir_;
};

TEST_F(FileStreamTest, WriteReturnsOneBlockAndSeekReturnsTheCLibraryResult) {
    const std::string path = PathOf("data.bin");
    TFileStream file(path.c_str(), "wb+");
    file.SetActive(true);
    std::string block(100, 'x');
    EXPECT_EQ(file.Write(block.data(), 100), 1);
    EXPECT_EQ(file.Seek(0, soFromCurrent), 100);
    EXPECT_EQ(file.Seek(10, soFromBeginning), 0);
    EXPECT_EQ(file.Seek(0, soFromCurrent), 10);
    EXPECT_NE(file.Seek(-50, soFromBeginning), 0);
    EXPECT_EQ(file.GetSize(), 100);
    EXPECT_EQ(file.Seek(0, soFromCurrent), 10);  // measuring the size restores the position
    char buffer[200];
    EXPECT_EQ(file.Read(buffer, 200), 90);
    file.SetActive(false);
    EXPECT_EQ(ReadAll(path), block);
}

TEST_F(FileStreamTest, FailuresAndTheirMessages) {
    const std::string missing = PathOf("missing.bin");
    TFileStream file(missing.c_str(), "rb");
    try {
        file.SetActive(true);
        FAIL();
    } catch (const TException &e) {
        EXPECT_EQ(std::string(e.Message()), "File Not Opened " + missing);
    }
    EXPECT_EQ(file.GetSize(), 0);
    try {
        file.Read(nullptr, 1);
        FAIL();
    } catch (const TException &e) {
        EXPECT_STREQ(e.Message(), "Cannot read to NULL buffer");
    }
}

// /dev/full takes bytes into the C library's buffer and refuses them at the flush, as a full
// disk does: an explicit close says so, whichever way it is asked for.
TEST_F(FileStreamTest, ExplicitCloseReportsBytesThatNeverReachedTheFile) {
    const struct {
        const char *label;
        void (*close)(TFileStream &);
    } cases[] = {
        {"SetActive(false)", [](TFileStream &f) { f.SetActive(false); }},
        {"CloseAfterWriting", [](TFileStream &f) { f.CloseAfterWriting(); }},
        {"SetFileName", [](TFileStream &f) { f.SetFileName("other.bin"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TFileStream file("/dev/full", "wb");
        file.SetActive(true);
        EXPECT_EQ(file.Write("abc", 3), 1);  // buffered, not yet refused
        std::string raised = "(nothing raised)";
        try {
            c.close(file);
        } catch (const TException &e) {
            raised = e.Message();
        }
        EXPECT_EQ(raised, "File Not Written /dev/full");
        EXPECT_FALSE(file.Active());
    }
}

TEST_F(FileStreamTest, SetFileNameClosesAndSwitchesToWriteMode) {
    const std::string first = PathOf("a.bin"), second = PathOf("b.bin");
    TFileStream file(first.c_str(), "wb");
    file.SetActive(true);
    file.SetFileName(second.c_str());
    EXPECT_FALSE(file.Active());
    file.SetActive(true);
    file.Write("hi", 2);
    file.SetActive(false);
    EXPECT_EQ(ReadAll(second), "hi");
}

TEST_F(FileStreamTest, TurkishFileNamesAreUtf8OnDisk) {
    const std::string utf8 = PathOf("şarkı.bin");
    const std::string ansi = cp1254::FromUtf8(utf8);
    TFileStream file(ansi.c_str(), "wb");
    file.SetActive(true);
    file.Write("x", 1);
    file.SetActive(false);
    EXPECT_TRUE(std::filesystem::exists(utf8));
}

TEST_F(FileStreamTest, AppendFileCopiesTheWholeFileAtThePosition) {
    const std::string path = PathOf("in.bin");
    std::string data(70000, 'q');
    data[69999] = 'z';
    std::ofstream(path, std::ios::binary) << data;
    TMemoryStream stream;
    stream.Write("head", 4);
    AppendFile(stream, path.c_str());
    EXPECT_EQ(stream.DataSize(), 70004);
    EXPECT_EQ(stream.Memory()[70003], 'z');
    EXPECT_THROW(AppendFile(stream, PathOf("none").c_str()), TException);
}

}  // namespace
