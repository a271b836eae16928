// SPDX-License-Identifier: GPL-3.0-or-later
// The real service and its cache folder: what a reading leaves there holds no text, and
// whatever else stands there under an entry's name (a link, a FIFO, garbage) is never served
// and never holds a worker or the stop.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/code_page.h"
#include "records/demo_audios.h"
#include "server/file_id.h"
#include "speech/synthesis_request.h"
#include "service/demo_client.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

std::string ReadWhole(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The audio bytes of `sentence` (Windows-1254) read through `server` by the real client.
std::string Audio(const TDemoServerProcess &server, const std::string &sentence) {
    const std::string endpoint = server.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "cache-trust";
    TDemoAudios audios;
    client.SynthesiseSentence(sentence.c_str(), 0, 1, 10, 10, 1, audios);
    std::string bytes;
    for (int i = 0; i < audios.Count(); ++i) {
        client.LoadSynthesisedFile(audios.Get(i)->Data, audios.Get(i)->FileId.Text());
        bytes += std::string(reinterpret_cast<const char *>(audios.Get(i)->Data.Memory()),
                             size_t(audios.Get(i)->Data.DataSize()));
    }
    return bytes;
}

TEST(CacheTrustE2ETest, TheCacheFolderHoldsNoTextOfWhatWasRead) {
    TempConfigHome home;
    TDemoServerProcess server;
    const std::string sentence = "Kırmızı balkonda yedi zürafa, sessizce çay içiyordu."_cp;
    ASSERT_GT(Audio(server, sentence).size(), 1000u);
    size_t entries = 0;
    for (const auto &entry : std::filesystem::directory_iterator(server.CacheDir())) {
        if (entry.path().filename() == ".lock") continue;
        ++entries;
        const std::string bytes = ReadWhole(entry.path());
        for (const std::string &word : {std::string("balkonda"), std::string("zürafa"),
                                        std::string("zürafa"_cp), std::string("sessizce")})
            EXPECT_EQ(bytes.find(word), std::string::npos) << entry.path() << ": " << word;
    }
    EXPECT_GT(entries, 0u) << "the audio was cached";
}

TEST(CacheTrustE2ETest, ALinkAFifoOrGarbageUnderAnEntrysNameIsNotServedAndHoldsNothing) {
    TempConfigHome home;
    const std::string secret = home.Folder() + "/secret";
    TempConfigHome::WriteFile(secret, "OggS this is no audio: a file elsewhere");
    const struct {
        const char *Label;
        const char *Sentence;
        int Kind;  // 0 a link, 1 a FIFO, 2 garbage
    } cases[] = {
        {"a link to a file elsewhere", "Birinci.", 0},
        {"a FIFO", "İkinci.", 1},
        {"garbage", "Üçüncü.", 2},
    };
    TDemoServerProcess server({"--memory-cache-mb", "0"});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string sentence = cp1254::FromUtf8(c.Sentence);
        const std::string entry =
            server.CacheDir() + "/" + RequestDigest({sentence, false, 1, 10, 10, 1}) + ".entry";
        if (c.Kind == 0) std::filesystem::create_symlink(secret, entry);
        if (c.Kind == 1) ASSERT_EQ(::mkfifo(entry.c_str(), 0600), 0);
        if (c.Kind == 2) TempConfigHome::WriteFile(entry, "OggS garbage without a check");
        const std::string audio = Audio(server, sentence);
        EXPECT_GT(audio.size(), 1000u) << "made anew";
        EXPECT_EQ(audio.find("no audio"), std::string::npos);
        EXPECT_EQ(audio.find("garbage"), std::string::npos);
        struct stat info {};
        ASSERT_EQ(::lstat(entry.c_str(), &info), 0) << "the service's own entry in its place";
        EXPECT_TRUE(S_ISREG(info.st_mode));
    }
    EXPECT_EQ(ReadWhole(secret), "OggS this is no audio: a file elsewhere");
    // Nothing hangs: the stop finishes at once and the exit is clean.
    server.Stop();
    ASSERT_TRUE(WIFEXITED(server.ExitStatus()));
    EXPECT_EQ(WEXITSTATUS(server.ExitStatus()), 0);
}

}  // namespace
