// SPDX-License-Identifier: GPL-3.0-or-later
// The real client (TDemoClient) against a real narrelo-demoserver over loopback: login,
// sentence splitting, synthesis and file fetching, with Turkish text travelling as
// Windows-1254 bytes both ways and audio that the client's own decoder reads.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "protocol/xml_text.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"
#include "turkish/turkish_text.h"

namespace {

struct TVorbisFormat {
    int Channels = 0;
    int Rate = 0;
};

// Channels and rate from the Vorbis identification header ("\x01vorbis", version, channels,
// rate) of an Ogg file.
TVorbisFormat FormatOf(const TMemoryStream &ogg) {
    const std::string_view bytes(reinterpret_cast<const char *>(ogg.Memory()), size_t(ogg.DataSize()));
    const size_t at = bytes.find(std::string_view("\x01vorbis", 7));
    if (at == std::string_view::npos || at + 16 > bytes.size()) return {};
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    TVorbisFormat format;
    format.Channels = byte(at + 11);
    format.Rate = int(byte(at + 12) | byte(at + 13) << 8 | byte(at + 14) << 16 | byte(at + 15) << 24);
    return format;
}

// Seconds of 16-bit mono PCM the client's decoder makes of an Ogg file.
double DecodedSeconds(const TMemoryStream &ogg) {
    TMemoryStream pcm(8192);
    DecodeOggVorbis(ogg.Memory(), ogg.DataSize(), pcm);
    return double(pcm.DataSize()) / 2.0 / 16000.0;
}

// The message of the TCustomException `call` raises, or "" when it raises none.
template <typename Call>
std::string FailureOf(Call call) {
    try {
        call();
    } catch (const TCustomException &e) {
        return e.Message();
    }
    return "";
}

// The audio file of one synthesised sentence, fetched the way the client does.
std::string FetchedAudio(TDemoClient &client, const std::string &text, int32_t speaker = 1,
                         uint8_t isXml = 0) {
    // Every item of the sentence, one after the other (a sentence of more than a few words is
    // answered as a short first item and the rest).
    TDemoAudios audios;
    client.SynthesiseSentence(text.c_str(), isXml, speaker, 10, 10, 1, audios);
    std::string bytes;
    for (int i = 0; i < audios.Count(); ++i) {
        TDemoAudio &audio = *audios.Get(i);
        if (audio.Data.DataSize() == 0) client.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
        if (audio.Data.DataSize() == 0) return "";
        bytes.append(reinterpret_cast<const char *>(audio.Data.Memory()),
                     size_t(audio.Data.DataSize()));
    }
    return bytes;
}

class DemoClientE2ETest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new TDemoServerProcess(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        endpoint_ = server_->Endpoint();
        client_.soap_endpoint = endpoint_.c_str();
    }

    static TDemoServerProcess *server_;
    TempConfigHome home_;
    std::string endpoint_;
    TDemoClient client_;
};

TDemoServerProcess *DemoClientE2ETest::server_ = nullptr;

TEST_F(DemoClientE2ETest, ReadsATurkishTextSentenceBySentence) {
    const std::string text = "Merhaba dünya. Bugün hava çok güzel, değil mi?"_cp;
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    client_.LoadSentences(text.c_str(), 0, sentences);

    ASSERT_EQ(sentences.Count(), 2);
    const struct {
        int32_t Start, Length;
        std::string Text;
    } expected[] = {
        {0, 14, "Merhaba dünya."_cp},
        {15, int32_t(text.size()) - 15, "Bugün hava çok güzel, değil mi?"_cp},
    };
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sentences.Get(i)->Start, expected[i].Start);
        EXPECT_EQ(sentences.Get(i)->Length, expected[i].Length);
        EXPECT_EQ(sentences.Get(i)->Text.View(), expected[i].Text);
        EXPECT_FALSE(sentences.Get(i)->IsXml);
        EXPECT_EQ(sentences.Get(i)->Audios.Count(), 0);
    }

    // A sentence with a clause boundary is answered as two parts of its speech: its first
    // clause, then the rest, each named by its words.
    TDemoAudios audios;
    client_.SynthesiseSentence(sentences.Get(1)->Text.Text(), 0, 1, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 2);
    const std::string words[] = {"bugün hava çok güzel,"_cp, "değil mi?"_cp};
    double seconds = 0;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        TDemoAudio &audio = *audios.Get(i);
        EXPECT_EQ(audio.Text.View(), words[i]);
        EXPECT_EQ(audio.SpokenText.View(), words[i]) << "the words as heard";
        EXPECT_EQ(audio.FileType, 1);
        EXPECT_EQ(audio.Volume, 10);
        EXPECT_EQ(audio.Speed, 10);
        EXPECT_FALSE(audio.IsXml);
        EXPECT_EQ(audio.Speaker, 1);
        EXPECT_GT(audio.FileId.Length(), 0);
        EXPECT_EQ(audio.Data.DataSize(), 0) << "without --inline the client fetches the file";

        const int32_t written = client_.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
        ASSERT_GT(written, 0);
        EXPECT_EQ(written, audio.Data.DataSize());
        const TVorbisFormat format = FormatOf(audio.Data);
        EXPECT_EQ(format.Channels, 1);
        EXPECT_EQ(format.Rate, 16000);
        EXPECT_GT(DecodedSeconds(audio.Data), 0.3);
        seconds += DecodedSeconds(audio.Data);
    }
    // Six words spoken at a natural pace.
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 5.0);
    EXPECT_NE(audios.Get(0)->FileId.View(), audios.Get(1)->FileId.View());

    // One without is answered as one item named by the sentence as submitted.
    TDemoAudios whole;
    client_.SynthesiseSentence(sentences.Get(0)->Text.Text(), 0, 1, 10, 10, 1, whole);
    ASSERT_EQ(whole.Count(), 1);
    EXPECT_EQ(whole.Get(0)->Text.View(), expected[0].Text);
    EXPECT_EQ(whole.Get(0)->SpokenText.View(), "merhaba dünya."_cp);
}

TEST_F(DemoClientE2ETest, EveryTurkishLetterLineEndAndMarkupCharacterTravelsUnchanged) {
    // Sentences come back as the exact bytes and positions of the submitted text.
    const std::string text = "çğıöşü ÇĞİÖŞÜ & <b> \"tırnak\"!\r\nİkinci satır.\r\n"_cp;
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    client_.LoadSentences(text.c_str(), 0, sentences);
    ASSERT_EQ(sentences.Count(), 2);
    for (int i = 0; i < sentences.Count(); ++i) {
        const TNarreloCumle &sentence = *sentences.Get(i);
        EXPECT_EQ(sentence.Text.View(),
                  text.substr(size_t(sentence.Start), size_t(sentence.Length)));
    }
    EXPECT_EQ(sentences.Get(0)->Text.View(), "çğıöşü ÇĞİÖŞÜ & <b> \"tırnak\"!"_cp);

    // A synthesised item names its text byte for byte, line ends inside it included (a
    // conjunction that opens a sentence is no clause boundary: one item).
    const std::string inside = "& Satır bir\r\nsatır iki <üç> ÇĞİÖŞÜ"_cp;
    TDemoAudios audios;
    client_.SynthesiseSentence(inside.c_str(), 0, 2, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 1);
    EXPECT_EQ(audios.Get(0)->Text.View(), inside);
    // What is heard is the Turkish reading of exactly that text.
    EXPECT_EQ(audios.Get(0)->SpokenText.View(), NormaliseForSpeech(inside));
    EXPECT_EQ(audios.Get(0)->Speaker, 2);
}

TEST_F(DemoClientE2ETest, TheSameRequestGivesTheSameBytes) {
    const std::string text = "Aynı cümle her seferinde aynı sesi verir."_cp;
    const std::string first = FetchedAudio(client_, text);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(FetchedAudio(client_, text), first);
    TDemoClient other;
    other.soap_endpoint = endpoint_.c_str();
    EXPECT_EQ(FetchedAudio(other, text), first) << "another client, another session";
    EXPECT_NE(FetchedAudio(client_, text, 2), first) << "the other reading style";
}

TEST_F(DemoClientE2ETest, XmlSentencesAreSplitAndSpokenByTheirParts) {
    const std::string part1 = "<SENTENCE>\r\n<SENTENCEPART TEXTKIND=\"3\">\r\nAyşe &amp; Ali\r\n"
                              "</SENTENCEPART>\r\n</SENTENCE>"_cp;
    const std::string part2 = "<SENTENCE><SENTENCEPART TEXTKIND=\"5\">0 212 555 00 00</SENTENCEPART></SENTENCE>";
    const std::string document = "<xml>\r\n" + part1 + "\r\n" + part2 + "\r\n</xml>\r\n";
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    client_.LoadSentences(document.c_str(), 1, sentences);
    ASSERT_EQ(sentences.Count(), 2);
    EXPECT_EQ(sentences.Get(0)->Start, 7);
    EXPECT_EQ(sentences.Get(0)->Length, int32_t(part1.size()));
    EXPECT_EQ(sentences.Get(0)->Text.View(), "<xml>\r\n" + part1 + "\r\n</xml>\r\n");
    EXPECT_TRUE(sentences.Get(0)->IsXml);
    EXPECT_EQ(sentences.Get(1)->Start, int32_t(document.find(part2)));

    TDemoAudios audios;
    client_.SynthesiseSentence(sentences.Get(0)->Text.Text(), 1, 1, 10, 10, 1, audios);
    // "ve" begins a clause: two parts of the speech, named by their words.
    ASSERT_EQ(audios.Count(), 2);
    EXPECT_EQ(audios.Get(0)->SpokenText.View(), "ayşe"_cp) << "the part, read as a name";
    EXPECT_EQ(audios.Get(1)->SpokenText.View(), "ve ali"_cp);
    EXPECT_FALSE(audios.Get(0)->IsXml) << "a part is named by its words";
    TDemoAudios name;
    const std::string alone =
        "<xml><SENTENCE><SENTENCEPART TEXTKIND=\"3\">Ayşe Ali</SENTENCEPART></SENTENCE></xml>"_cp;
    client_.SynthesiseSentence(alone.c_str(), 1, 1, 10, 10, 1, name);
    ASSERT_EQ(name.Count(), 1);
    EXPECT_TRUE(name.Get(0)->IsXml);
    EXPECT_EQ(name.Get(0)->SpokenText.View(), "ayşe ali"_cp);

    const std::string broken = "<xml>\r\n<SENTENCE>\r\n<SENTENCEPART>\r\nx\r\n</SENTENCE>\r\n</xml>";
    TNarreloCumles none;
    none.OwnsItems = true;
    const std::string failure = FailureOf([&] { client_.LoadSentences(broken.c_str(), 1, none); });
    EXPECT_NE(failure.find("XML error on line 5"), std::string::npos) << failure;
    EXPECT_EQ(none.Count(), 0);
}

TEST_F(DemoClientE2ETest, RefusesWhatItCannotServeWithAMessage) {
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    TDemoAudios audios;
    const std::string tooLong(64 * 1024 + 1, 'a');
    const struct {
        const char *Label;
        std::function<void()> Call;
        const char *Message;
    } cases[] = {
        {"text above 64 KiB", [&] { client_.LoadSentences(tooLong.c_str(), 0, sentences); },
         "The text is too long: 65537 bytes, at most 65536"},
        {"synthesis above 64 KiB",
         [&] { client_.SynthesiseSentence(tooLong.c_str(), 0, 1, 10, 10, 1, audios); },
         "The text is too long"},
        {"speaker 7", [&] { client_.SynthesiseSentence("a", 0, 7, 10, 10, 1, audios); },
         "Speaker 7 is not offered"},
        {"file type 3", [&] { client_.SynthesiseSentence("a", 0, 1, 10, 10, 3, audios); },
         "File type 3 is not offered"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string failure = FailureOf(c.Call);
        EXPECT_EQ(failure.rfind("WebServis çağrısında hata oluştu\r\n\r\n"_cp, 0), 0u) << failure;
        EXPECT_NE(failure.find(c.Message), std::string::npos) << failure;
    }
    EXPECT_EQ(sentences.Count(), 0);
    EXPECT_EQ(audios.Count(), 0);
}

TEST_F(DemoClientE2ETest, AForgedOrMalformedFileIdGetsAFaultThatSaysSo) {
    client_.EnsureSession("", "");
    TDemoAudios audios;
    client_.SynthesiseSentence("Merhaba.", 0, 1, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 1);
    std::string forged(audios.Get(0)->FileId.View());
    forged[forged.size() / 3] = forged[forged.size() / 3] == 'A' ? 'B' : 'A';
    for (const std::string &id : {forged, std::string("bozuk"), std::string("")}) {
        SCOPED_TRACE(id);
        TMemoryStream data(8192);
        const std::string failure = FailureOf([&] { client_.LoadSynthesisedFile(data, id.c_str()); });
        EXPECT_NE(failure.find("Unknown file identifier"), std::string::npos) << failure;
        EXPECT_EQ(data.DataSize(), 0);
    }
}

TEST_F(DemoClientE2ETest, OperationsTheClientDoesNotCallAreNotOffered) {
    client_.EnsureSession("", "");
    std::string session = EscapeXmlText(client_.SessionID.View());
    std::string text = "a";
    xsd__base64Binary binary;
    char *string = nullptr;
    bool flag = false;
    ns1__SpeakNormalResponse normal{};
    const struct {
        const char *Operation;
        std::function<int()> Call;
    } cases[] = {
        {"Speak", [&] { return client_.Speak(session.data(), text.data(), false, 1, 10, 10, 1, binary); }},
        {"SpeakNormal", [&] { return client_.SpeakNormal(session.data(), text.data(), text.data(), normal); }},
        {"GetKey", [&] { return client_.GetKey(session.data(), string); }},
        {"UpdateRequired", [&] { return client_.UpdateRequired(13, flag); }},
        {"LastSetupUrl", [&] { return client_.LastSetupUrl(string); }},
        {"ParseSentencesNoCrypt",
         [&] { return client_.ParseSentencesNoCrypt(session.data(), text.data(), false, false, string); }},
        {"SetListenHistory", [&] { return client_.SetListenHistory(binary, false, binary); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Operation);
        EXPECT_EQ(c.Call(), 1) << "a client fault";
        const char *fault = soap_fault_string(&client_);
        EXPECT_EQ(std::string(fault ? fault : ""),
                  std::string("The operation ") + c.Operation + " is not offered by this server");
        client_.destroy();
    }
}

TEST_F(DemoClientE2ETest, TheUpdateCheckAndTheInstallerAddress) {
    EXPECT_FALSE(client_.CheckUpdateRequired()) << "today's client is current";
    EXPECT_EQ(client_.GetSetupUrl().View(), "") << "no installer configured";

    const std::string installer = home_.Folder() + "/Narrelo_Setup.run";
    const std::string bytes = "#!/bin/sh\necho kurulum\n" + std::string(100000, 'x');
    TempConfigHome::WriteFile(installer, bytes);
    TDemoServerProcess newer({"--min-version", "14", "--installer", installer});
    const std::string endpoint = newer.Endpoint();
    TDemoClient old;
    old.soap_endpoint = endpoint.c_str();
    EXPECT_TRUE(old.CheckUpdateRequired());
    const std::string url(old.GetSetupUrl().View());
    EXPECT_EQ(url, newer.BaseUrl() + "/download/Narrelo_Setup.run");

    const std::string answer = HttpGet(newer.Port(), url.substr(newer.BaseUrl().size()));
    EXPECT_EQ(StatusOf(answer), 200);
    EXPECT_EQ(BodyOf(answer), bytes);
    EXPECT_NE(BodyOf(HttpGet(newer.Port(), "/download")).find("href=\"/download/Narrelo_Setup.run\""),
              std::string::npos);
}

TEST_F(DemoClientE2ETest, InlineAudioNeedsNoFetch) {
    TDemoServerProcess inlined({"--inline"});
    const std::string endpoint = inlined.Endpoint();
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    TDemoAudios audios;
    client.SynthesiseSentence("Ses doğrudan gelir."_cp, 0, 1, 10, 10, 1, audios);
    ASSERT_EQ(audios.Count(), 1);
    const TDemoAudio &audio = *audios.Get(0);
    ASSERT_GT(audio.Data.DataSize(), 0);
    EXPECT_GT(audio.FileId.Length(), 0) << "the file can still be fetched";
    EXPECT_EQ(FormatOf(audio.Data).Rate, 16000);
    EXPECT_GT(DecodedSeconds(audio.Data), 0.5);
    TMemoryStream fetched(8192);
    client.LoadSynthesisedFile(fetched, audio.FileId.Text());
    EXPECT_EQ(std::string_view(reinterpret_cast<const char *>(fetched.Memory()), size_t(fetched.DataSize())),
              std::string_view(reinterpret_cast<const char *>(audio.Data.Memory()), size_t(audio.Data.DataSize())));
}

}  // namespace
