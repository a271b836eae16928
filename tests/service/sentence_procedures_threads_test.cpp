// SPDX-License-Identifier: GPL-3.0-or-later
// Getting the sentences of a text and the audio items of a sentence, through the caches or
// a loopback service; and what a failure leaves behind.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "service/demo_client.h"
#include "service/sentence_procedures.h"
#include "service/text_cache.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/raised_message.h"

namespace {

// `bytes` cut by `drop` bytes at the end: a list whose last record breaks off.
std::string Truncated(std::vector<uint8_t> bytes, size_t drop) {
    bytes.resize(bytes.size() - drop);
    return Base64(bytes);
}

class SentenceProceduresTest : public ::testing::Test {
protected:
    SentenceProceduresTest() {
        client.soap_endpoint = endpoint.c_str();
        client.recv_timeout = 20;
        server.AddReply(LoginReply("c1", "s1"));
    }
    void SetUp() override { ClearReadingCaches(); }
    void TearDown() override { ClearReadingCaches(); }

    // How many requests of `operation` the service received.
    size_t Calls(std::string_view operation) const {
        size_t count = 0;
        const std::string open = "<ns1:" + std::string(operation) + ">";
        for (const std::string &request : server.Requests())
            if (RequestElement(request).rfind(open, 0) == 0) ++count;
        return count;
    }

    TNarreloText *Split(const char *text, int32_t speaker = 1) {
        return GetTextSentences(client, MyString(text), false, speaker);
    }

    TempConfigHome home;
    TSoapTestServer server;
    std::string endpoint = server.Endpoint();
    TDemoClient client;
};

TEST_F(SentenceProceduresTest, SameTextIsSplitOnceAndStampedWithTheSpeaker) {
    server.AddReply(SentencesReply({"Bir.", "İki."_cp}));
    TNarreloText *first = Split("Bir. İki."_cp);
    ASSERT_EQ(first->Sentences.Count(), 2);
    EXPECT_EQ(first->Speaker, 1);
    EXPECT_EQ(first->Sentences.Get(0)->Speaker, 1);
    EXPECT_EQ(first->Sentences.Get(1)->Speaker, 1);
    EXPECT_STREQ(first->Text.Text(), "Bir. İki."_cp);

    EXPECT_EQ(Split("BİR. iki."_cp), first);
    EXPECT_EQ(Calls("ParseSentences"), 1u);
    EXPECT_EQ(TextCache().Count(), 1);
}

TEST_F(SentenceProceduresTest, AnotherSpeakerIsSplitAgain) {
    server.AddReply(SentencesReply({"Bir."}));
    server.AddReply(SentencesReply({"Bir."}));
    TNarreloText *first = Split("Bir.", 1);
    TNarreloText *second = Split("Bir.", 2);
    EXPECT_NE(first, second);
    EXPECT_EQ(second->Sentences.Get(0)->Speaker, 2);
    EXPECT_EQ(Calls("ParseSentences"), 2u);
    EXPECT_EQ(TextCache().Count(), 2);
}

struct FailedSplitCase {
    const char *label;
    std::string reply;
    int status;
    std::string message;
};

TEST_F(SentenceProceduresTest, FailedSplitIsForgottenAndAskedForAgain) {
    TNarreloCumles good;
    good.OwnsItems = true;
    for (const char *text : {"Birinci cümle biraz uzunca olsun ki sayı tutsun."_cp, "İkinci."_cp}) {
        TNarreloCumle *sentence = good.CreateItem();
        good.Add(sentence);
        sentence->Text = text;
    }
    const auto serialized = Serialized(good);
    const FailedSplitCase cases[] = {
        {"service fault", SoapEnvelope(SoapFault("SOAP-ENV:Server", "yok")), 500,
         "WebServis çağrısında hata oluştu\r\n\r\nyok"_cp},
        {"empty answer", ReturnReply("ParseSentences", ""), 200, "Internal Memory Is Nil"},
        {"second sentence breaks off",
         ReturnReply("ParseSentences", Base64(ScrambledBlock(
                                           {serialized.begin(), serialized.end() - 6}, 3))),
         200, "not readed from stream"},
    };
    for (const FailedSplitCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(c.reply, c.status);
        EXPECT_EQ(MessageOf([&] { Split("Metin."); }), c.message);
        EXPECT_EQ(TextCache().Count(), 0);
        EXPECT_EQ(FindText(MyString("Metin."), false, 1), -1);
    }
    server.AddReply(SentencesReply({"Metin."}));
    TNarreloText *text = Split("Metin.");
    EXPECT_EQ(text->Sentences.Count(), 1);
    EXPECT_EQ(Calls("ParseSentences"), 4u);
}

// Plain text read with the XML switch on: the service's words, then what to do about it;
// the same failure of a text not read as XML gets no such advice.
TEST_F(SentenceProceduresTest, AnXmlErrorOfATextReadAsXmlSaysTheXmlSwitchIsOn) {
    const std::string fault = "XML error on line 1: Unexpected end of file";
    for (bool isXml : {true, false}) {
        SCOPED_TRACE(isXml);
        server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Client", fault)), 500);
        std::string expected = "WebServis çağrısında hata oluştu\r\n\r\n"_cp + fault;
        if (isXml) expected += "\r\n\r\n" + std::string(XmlSwitchAdvice(false));
        EXPECT_EQ(MessageOf([&] { GetTextSentences(client, MyString("a < b"), isXml, 1); }), expected);
    }
}

TEST_F(SentenceProceduresTest, IdenticalSentenceOfAnotherTextIsSynthesisedOnce) {
    server.AddReply(SentencesReply({"Ortak cümle."_cp, "Bir."}));
    server.AddReply(AudiosReply({"a1", "a2"}));
    server.AddReply(SentencesReply({"ORTAK CÜMLE."_cp}));
    TNarreloText *first = Split("Ortak cümle. Bir."_cp);
    TNarreloCumle *shared = first->Sentences.Get(0);
    EXPECT_EQ(GetSentenceAudios(client, *shared, 1, 10, 10, 1), shared);
    EXPECT_EQ(shared->Audios.Count(), 2);
    EXPECT_EQ(SentenceCache().Count(), 1);

    TNarreloText *second = Split("ORTAK CÜMLE."_cp);
    TNarreloCumle *again = second->Sentences.Get(0);
    EXPECT_EQ(GetSentenceAudios(client, *again, 1, 10, 10, 1), shared);
    EXPECT_EQ(again->Audios.Count(), 0);
    EXPECT_EQ(SentenceCache().Count(), 1);
    EXPECT_EQ(Calls("Synthesise"), 1u);
    EXPECT_EQ(RequestElement(server.Requests()[2]),
              "<ns1:Synthesise><SessionID>s1</SessionID><AText>Ortak c\xC3\xBCmle.</AText>"
              "<IsXML>false</IsXML><ASpeaker>1</ASpeaker><AVolume>10</AVolume><ASpeed>10</ASpeed>"
              "<AFileType>1</AFileType></ns1:Synthesise>");
}

TEST_F(SentenceProceduresTest, SentenceWithItemsIsUsedAsItIsAndCached) {
    server.AddReply(SentencesReply({"Hazır."}));
    TNarreloCumle *sentence = Split("Hazır."_cp)->Sentences.Get(0);
    sentence->Audios.Add(sentence->Audios.CreateItem());
    EXPECT_EQ(GetSentenceAudios(client, *sentence, 1, 10, 10, 1), sentence);
    EXPECT_EQ(GetSentenceAudios(client, *sentence, 1, 10, 10, 1), sentence);
    EXPECT_EQ(SentenceCache().Count(), 1);
    EXPECT_EQ(Calls("Synthesise"), 0u);
}

TEST_F(SentenceProceduresTest, FailedSynthesisLeavesNoPartialItems) {
    TDemoAudios two;
    for (const char *id : {"a1", "a2"}) {
        TDemoAudio *audio = two.CreateItem();
        two.Add(audio);
        audio->FileId = id;
        audio->Data.Write("OggS and enough bytes for the list's size check", 47);
    }
    server.AddReply(SentencesReply({"Bölünen."_cp}));
    // The second item breaks off inside its FileId, before its Data.
    server.AddReply(ReturnReply("Synthesise", Truncated(Serialized(two), 4 + 47 + 2)));
    server.AddReply(AudiosReply({"b1"}));
    TNarreloCumle *sentence = Split("Bölünen."_cp)->Sentences.Get(0);
    EXPECT_EQ(MessageOf([&] { GetSentenceAudios(client, *sentence, 1, 10, 10, 1); }),
              "not readed from stream");
    EXPECT_EQ(sentence->Audios.Count(), 0);
    EXPECT_EQ(SentenceCache().Count(), 0);

    EXPECT_EQ(GetSentenceAudios(client, *sentence, 1, 10, 10, 1), sentence);
    ASSERT_EQ(sentence->Audios.Count(), 1);
    EXPECT_STREQ(sentence->Audios.Get(0)->FileId.Text(), "b1");
}

}  // namespace
