// SPDX-License-Identifier: GPL-3.0-or-later
// Every sample XML file read aloud by the local speech service, as a reading does it: split
// as XML, each sentence synthesised, its audio file fetched and decoded to sound.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "service/xml_sentence.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

const std::filesystem::path SamplesFolder =
    std::filesystem::path(NARRELO_BINARY_DIR) / "share/narrelo/XML";

std::string ReadBytes(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class XmlSamplesAloudTest : public ::testing::Test {
protected:
    XmlSamplesAloudTest() { Client.soap_endpoint = Endpoint.c_str(); }

    // The audio items of one sentence, their files fetched when the answer left them out.
    void Synthesise(const TNarreloCumle &sentence, TDemoAudios &audios) {
        Client.SynthesiseSentence(sentence.Text.Text(), sentence.IsXml, 2, 10, 10, 1, audios);
        for (int32_t i = 0; i < audios.Count(); ++i) {
            TDemoAudio *audio = audios.Get(i);
            if (audio->Data.Size() == 0) Client.LoadSynthesisedFile(audio->Data, audio->FileId.Text());
        }
    }

    TempConfigHome Home;
    TDemoServerProcess Server;
    std::string Endpoint = Server.Endpoint();
    TDemoClient Client;
};

TEST_F(XmlSamplesAloudTest, EverySampleIsSpoken) {
    const struct {
        const char *file;
        int minimumSentences;
    } samples[] = {
        {"address.xml", 1}, {"commercial_title.xml", 1}, {"person_name.xml", 1},
        {"license_plate.xml", 1}, {"phone_number.xml", 1}, {"mixed.xml", 2},
    };
    for (const auto &sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::string bytes = ReadBytes(SamplesFolder / sample.file);
        ASSERT_FALSE(bytes.empty());
        TNarreloCumles sentences;
        sentences.OwnsItems = true;
        Client.LoadSentences(bytes.c_str(), 1, sentences);
        ASSERT_GE(sentences.Count(), sample.minimumSentences);
        for (int32_t s = 0; s < sentences.Count(); ++s) {
            SCOPED_TRACE("sentence " + std::to_string(s));
            TNarreloCumle *sentence = sentences.Get(s);
            EXPECT_TRUE(sentence->IsXml);
            TDemoAudios audios;
            Synthesise(*sentence, audios);
            ASSERT_GE(audios.Count(), 1);
            int32_t pcmBytes = 0;
            for (int32_t i = 0; i < audios.Count(); ++i) {
                TMemoryStream pcm;
                DecodeOggVorbis(audios.Get(i)->Data.Memory(), audios.Get(i)->Data.Size(), pcm);
                pcmBytes += pcm.Size();
            }
            // At least half a second of 16 kHz 16-bit sound for every sentence.
            EXPECT_GE(pcmBytes, 16000);
        }
    }
}

// The phone number's digits reach the listener as Turkish words, group by group, and the
// word count that paces the listening pause counts those words.
TEST_F(XmlSamplesAloudTest, PhoneNumberIsSpokenAsWords) {
    const MyString document = FormatXmlSentence("0212 245 67 89", XmlTextKindPhoneNumber);
    TNarreloCumles sentences;
    sentences.OwnsItems = true;
    Client.LoadSentences(document.Text(), 1, sentences);
    ASSERT_EQ(sentences.Count(), 1);
    TDemoAudios audios;
    Synthesise(*sentences.Get(0), audios);
    ASSERT_GE(audios.Count(), 1);
    std::string spoken;
    for (int32_t i = 0; i < audios.Count(); ++i) spoken += std::string(audios.Get(i)->SpokenText.View()) + " ";
    EXPECT_EQ(spoken.find_first_of("0123456789"), std::string::npos) << spoken;
    EXPECT_NE(spoken.find("sıfır iki yüz on iki iki yüz kırk beş altmış yedi seksen dokuz"_cp),
              std::string::npos)
        << spoken;
}

}  // namespace
