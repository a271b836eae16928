// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions and file identifiers as signed tokens: refused when forged, expired or signed
// with another key; kept across a restart; accepted by a second server process that shares
// the key file (the one-machine picture of several servers behind a load balancer).

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "server/server_key.h"
#include "server/session_token.h"
#include "service/demo_client.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

// Splits a short text through `client`; the failure message, or "" on success.
std::string SplitFailure(TDemoClient &client) {
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    try {
        client.LoadSentences("Merhaba. Nasılsın?"_cp, 0, sentences);
    } catch (const TCustomException &e) {
        return e.Message();
    }
    return sentences.Count() == 2 ? "" : "wrong sentence count";
}

uint64_t Now() { return uint64_t(std::time(nullptr)); }

TEST(SessionsE2ETest, ForgedExpiredAndForeignSessionsAreRefusedWithAMessage) {
    TempConfigHome home;
    TDemoServerProcess server;
    const std::string endpoint = server.Endpoint();
    const TServerKey key = TServerKey::LoadOrCreate(server.KeyFile());
    const TServerKey otherKey = TServerKey::FromBytes(std::string(32, 'x'));

    TDemoClient genuine;
    genuine.soap_endpoint = endpoint.c_str();
    genuine.EnsureSession("", "");
    std::string forged(genuine.SessionID.View());
    forged[4] = forged[4] == 'A' ? 'B' : 'A';

    const struct {
        const char *Label;
        std::string Session;
        const char *Message;
    } cases[] = {
        {"forged", forged, "Unknown session"},
        {"garbage", "oturum", "Unknown session"},
        {"another key", IssueSession(otherKey, "c", Now(), 3600), "Unknown session"},
        {"expired", IssueSession(key, "c", Now() - 7200, 3600), "The session has expired"},
        {"signed here, still valid", IssueSession(key, "c", Now(), 3600), ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.SessionID = c.Session.c_str();
        const std::string failure = SplitFailure(client);
        if (*c.Message == '\0') {
            EXPECT_EQ(failure, "");
        } else {
            EXPECT_NE(failure.find(c.Message), std::string::npos) << failure;
        }
        // The session call of every kind refuses alike.
        if (*c.Message != '\0') {
            EXPECT_THROW(client.GetSetupUrl(), TCustomException);
        }
    }
    EXPECT_EQ(SplitFailure(genuine), "") << "the server is unharmed";
}

TEST(SessionsE2ETest, ASessionOutlivesARestart) {
    TempConfigHome home;
    TDemoServerProcess first;
    const std::string keyFile = first.KeyFile();
    std::string endpoint = first.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.EnsureSession("", "");
    const std::string session(client.SessionID.View());
    first.Stop();
    EXPECT_TRUE(WIFEXITED(first.ExitStatus()) && WEXITSTATUS(first.ExitStatus()) == 0);

    TDemoServerProcess second({"--key-file", keyFile});
    endpoint = second.Endpoint();
    client.soap_endpoint = endpoint.c_str();
    EXPECT_EQ(SplitFailure(client), "");
    EXPECT_EQ(client.SessionID.View(), session) << "no new login was needed";
}

TEST(SessionsE2ETest, TwoProcessesSharingAKeyFileServeEachOthersClients) {
    TempConfigHome home;
    TDemoServerProcess a;
    TDemoServerProcess b({"--key-file", a.KeyFile()});  // its own cache folder
    const std::string endpointA = a.Endpoint(), endpointB = b.Endpoint();

    TDemoClient client;
    client.soap_endpoint = endpointA.c_str();
    TDemoAudios audios;
    client.SynthesiseSentence("Bu dosyayı öbür sunucu verir."_cp, 0, 2, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 1);
    const std::string session(client.SessionID.View());

    // The load balancer sends the next calls to b: same session, a's file id.
    client.soap_endpoint = endpointB.c_str();
    EXPECT_EQ(SplitFailure(client), "");
    EXPECT_EQ(client.SessionID.View(), session);
    TDemoAudio &audio = *audios.Get(0);
    ASSERT_GT(client.LoadSynthesisedFile(audio.Data, audio.FileId.Text()), 0);
    TMemoryStream pcm(8192);
    DecodeOggVorbis(audio.Data.Memory(), audio.Data.DataSize(), pcm);
    EXPECT_GT(pcm.DataSize(), 2 * 16000) << "more than a second of speech";

    // A server with another key accepts neither.
    TDemoServerProcess stranger;
    const std::string endpointC = stranger.Endpoint();
    client.soap_endpoint = endpointC.c_str();
    EXPECT_NE(SplitFailure(client).find("Unknown session"), std::string::npos);
    TDemoClient fresh;
    fresh.soap_endpoint = endpointC.c_str();
    TMemoryStream data(8192);
    try {
        fresh.LoadSynthesisedFile(data, audio.FileId.Text());
        ADD_FAILURE() << "a file of another key was served";
    } catch (const TCustomException &e) {
        EXPECT_NE(std::string(e.Message()).find("Unknown file identifier"), std::string::npos);
    }
    EXPECT_EQ(data.DataSize(), 0);
}

}  // namespace
