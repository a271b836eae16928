// SPDX-License-Identifier: GPL-3.0-or-later
// Signed session and file tokens: what passes, what is refused, and that the key file they
// rest on is created once, privately, and shared.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <zlib.h>

#include "server/file_id.h"
#include "server/server_key.h"
#include "server/session_token.h"
#include "server/signed_token.h"
#include "tests/support/temp_config_home.h"

namespace {

const TServerKey KeyA = TServerKey::FromBytes(std::string(32, 'a'));
const TServerKey KeyB = TServerKey::FromBytes(std::string(32, 'b'));
constexpr uint64_t Noon = 1'800'000'000;

// A token with one character of its text changed.
std::string Flipped(std::string token, size_t at) {
    token[at] = token[at] == 'A' ? 'B' : 'A';
    return token;
}

TEST(SessionTokenTest, IssuedSessionsAreCheckedByKeyAndTime) {
    const std::string session = IssueSession(KeyA, "istemci-1", Noon, 3600);
    const struct {
        const char *Label;
        const TServerKey &Key;
        std::string Token;
        uint64_t Now;
        TSessionCheck Expected;
    } cases[] = {
        {"fresh", KeyA, session, Noon, TSessionCheck::Valid},
        {"last second", KeyA, session, Noon + 3599, TSessionCheck::Valid},
        {"at expiry", KeyA, session, Noon + 3600, TSessionCheck::Expired},
        {"long after", KeyA, session, Noon + 999999, TSessionCheck::Expired},
        {"another key", KeyB, session, Noon, TSessionCheck::Unknown},
        {"payload changed", KeyA, Flipped(session, 3), Noon, TSessionCheck::Unknown},
        {"signature changed", KeyA, Flipped(session, session.size() - 5), Noon, TSessionCheck::Unknown},
        {"no signature", KeyA, session.substr(0, session.find('.')), Noon, TSessionCheck::Unknown},
        {"empty", KeyA, "", Noon, TSessionCheck::Unknown},
        {"not base64", KeyA, "%%%.%%%", Noon, TSessionCheck::Unknown},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const TSessionInfo info = CheckSession(c.Key, c.Token, c.Now);
        EXPECT_EQ(info.Check, c.Expected);
        if (c.Expected != TSessionCheck::Unknown) {
            EXPECT_EQ(info.ClientID, "istemci-1");
        }
    }
}

TEST(SessionTokenTest, AFileIdNeverPassesForASession) {
    const std::string fileId = MakeFileId(KeyA, TSynthesisRequest{"Merhaba.", false, 1, 10, 10, 1});
    EXPECT_EQ(CheckSession(KeyA, fileId, Noon).Check, TSessionCheck::Unknown);
    const std::string session = IssueSession(KeyA, "x", Noon, 60);
    EXPECT_FALSE(ReadFileId(KeyA, session, 65536).has_value());
}

TEST(SessionTokenTest, NewClientIDsAreDistinctHexTexts) {
    const std::string a = NewClientID(), b = NewClientID();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, b);
}

TEST(FileIdTest, CarriesEveryInputOfTheRequest) {
    const TSynthesisRequest requests[] = {
        {"Merhaba d\xFCnya.", false, 1, 10, 10, 1},
        {"<xml>\r\n<SENTENCE>x &amp; y</SENTENCE>\r\n</xml>\r\n", true, 2, 7, 13, 1},
        {"", false, -5, 0, -1, 99},
        {std::string(65536, '\xFE'), false, 2, 10, 10, 1},
        // Parts of a speech: of a sentence as submitted, and of a piece as spoken.
        {"Bir, iki.", false, 1, 10, 10, 1, false, 0, 5},
        {"<xml><SENTENCE>a, b</SENTENCE></xml>", true, 2, 10, 10, 1, false, 3, 4},
        {"bir, iki", false, 1, 10, 10, 1, true, 5, 8},
    };
    for (const TSynthesisRequest &request : requests) {
        SCOPED_TRACE(request.Text.substr(0, 20));
        const std::string id = MakeFileId(KeyA, request);
        EXPECT_EQ(id.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                       "0123456789-_."),
                  std::string::npos);
        const std::optional<TSynthesisRequest> read = ReadFileId(KeyA, id, 65536);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, request);
    }
}

TEST(FileIdTest, RefusesForgedForeignAndOversizedIdentifiers) {
    const TSynthesisRequest request{std::string(1000, 'a'), false, 1, 10, 10, 1};
    const std::string id = MakeFileId(KeyA, request);
    const struct {
        const char *Label;
        const TServerKey &Key;
        std::string Id;
        size_t MaxText;
    } cases[] = {
        {"another key", KeyB, id, 65536},
        {"payload changed", KeyA, Flipped(id, 2), 65536},
        {"signature changed", KeyA, Flipped(id, id.size() - 3), 65536},
        {"truncated", KeyA, id.substr(0, id.size() - 1), 65536},
        {"text above the limit", KeyA, id, 999},
        {"garbage", KeyA, "not-a-file-id", 65536},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_FALSE(ReadFileId(c.Key, c.Id, c.MaxText).has_value());
    }
    EXPECT_TRUE(ReadFileId(KeyA, id, 1000).has_value());
}

TEST(FileIdTest, ShowsNothingOfItsTextWithoutTheKey) {
    // A text that compresses well: its compressed form is as telling as the text itself.
    std::string text;
    for (int i = 0; i < 40; ++i) text += "gizli cumle ";
    const TSynthesisRequest request{text, false, 1, 10, 10, 1};
    const std::string id = MakeFileId(KeyA, request);
    const std::optional<std::string> bytes = Base64UrlDecode(id);
    ASSERT_TRUE(bytes.has_value()) << "one base64url text";
    uLongf size = compressBound(uLong(text.size()));
    std::string compressed(size, '\0');
    ASSERT_EQ(
        compress2(reinterpret_cast<Bytef *>(compressed.data()), &size,
                  reinterpret_cast<const Bytef *>(text.data()), uLong(text.size()), Z_BEST_SPEED),
        Z_OK);
    compressed.resize(size);
    for (const std::string &telling :
         {std::string("gizli"), std::string("cumle"), compressed.substr(2, 16)}) {
        EXPECT_EQ(bytes->find(telling), std::string::npos);
        EXPECT_EQ(id.find(Base64UrlEncode(telling).substr(0, 6)), std::string::npos);
    }
    // Inflating from any offset finds no text either.
    for (size_t at = 0; at + 2 < bytes->size(); ++at) {
        std::string out(text.size(), '\0');
        uLongf outSize = uLongf(out.size());
        if (uncompress(reinterpret_cast<Bytef *>(out.data()), &outSize,
                       reinterpret_cast<const Bytef *>(bytes->data() + at),
                       uLong(bytes->size() - at)) == Z_OK)
            EXPECT_EQ(out.substr(0, outSize).find("gizli"), std::string::npos) << at;
    }
    // Sealed anew each time, so equal requests do not show as equal identifiers.
    EXPECT_NE(MakeFileId(KeyA, request), id);
    EXPECT_EQ(ReadFileId(KeyA, MakeFileId(KeyA, request), 65536), request);
}

TEST(SignedTokenTest, Base64UrlRoundTripsAndRefusesNonCanonicalText) {
    for (size_t n = 0; n < 70; ++n) {
        std::string bytes;
        for (size_t i = 0; i < n; ++i) bytes += char(i * 37 + n);
        EXPECT_EQ(Base64UrlDecode(Base64UrlEncode(bytes)), bytes) << n;
    }
    EXPECT_EQ(Base64UrlEncode("\xFB\xFF"), "-_8");
    EXPECT_FALSE(Base64UrlDecode("A").has_value());    // impossible length
    EXPECT_FALSE(Base64UrlDecode("AB").has_value());   // stray low bits
    EXPECT_FALSE(Base64UrlDecode("AA=").has_value());  // padding is not ours
}

TEST(ServerKeyTest, KeyFileIsCreatedPrivateOnceAndReadBack) {
    TempConfigHome home;
    const std::string path = home.Folder() + "/valtrosa/demoserver.key";
    const TServerKey first = TServerKey::LoadOrCreate(path);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 32);
    const TServerKey second = TServerKey::LoadOrCreate(path);
    const std::string session = IssueSession(first, "c", Noon, 60);
    EXPECT_EQ(CheckSession(second, session, Noon).Check, TSessionCheck::Valid);
    // No stray private files are left beside it.
    int entries = 0;
    for (const auto &entry : std::filesystem::directory_iterator(home.Folder() + "/valtrosa"))
        entries += entry.path() == path ? 0 : 1;
    EXPECT_EQ(entries, 0);
}

TEST(ServerKeyTest, RefusesAKeyFileThatIsNotAPrivateRegularFileOfTheRightSizeAndMode) {
    TempConfigHome home;
    const std::string shortKey = home.Folder() + "/short.key";
    TempConfigHome::WriteFile(shortKey, "too short");
    ::chmod(shortKey.c_str(), 0600);
    // A good key but for its mode: as ssh does, a key others may read is not used.
    const std::string groupReadable = home.Folder() + "/group.key";
    TempConfigHome::WriteFile(groupReadable, std::string(32, 'k'));
    ::chmod(groupReadable.c_str(), 0640);
    const std::string othersWritable = home.Folder() + "/others.key";
    TempConfigHome::WriteFile(othersWritable, std::string(32, 'k'));
    ::chmod(othersWritable.c_str(), 0602);
    const std::string fifo = home.Folder() + "/fifo.key";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = home.Folder() + "/folder.key";
    std::filesystem::create_directory(folder);
    const struct {
        const char *Label;
        std::string Path;
        const char *Says;
    } cases[] = {
        {"wrong size", shortKey, "does not hold a key of 32 bytes"},
        {"readable by the group", groupReadable,
         "has mode 0640: other users may read or change it"},
        {"writable by others", othersWritable, "has mode 0602"},
        {"a FIFO (which would hang the start)", fifo, "not a regular file"},
        {"a folder", folder, "not a regular file"},
        {"a device", "/dev/null", "not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        try {
            TServerKey::LoadOrCreate(c.Path);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
