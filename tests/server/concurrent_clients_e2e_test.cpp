// SPDX-License-Identifier: GPL-3.0-or-later
// Four clients reading at once from one server: each gets its own sentences and audio.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "service/demo_client.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

struct TReading {
    std::string Failure;
    std::vector<std::string> Sentences;
    std::vector<double> Seconds;
};

// One whole reading, as the synthesis thread does it: split, synthesise, fetch, decode.
TReading Read(const std::string &endpoint, const std::string &text, int32_t speaker, int client) {
    TReading reading;
    try {
        TDemoClient demo;
        demo.soap_endpoint = endpoint.c_str();
        demo.ClientID = ("istemci-" + std::to_string(client)).c_str();  // nothing to store
        TNarreloCumles sentences;
        sentences.OwnsItems = true;
        demo.LoadSentences(text.c_str(), 0, sentences);
        for (int i = 0; i < sentences.Count(); ++i) {
            TNarreloCumle &sentence = *sentences.Get(i);
            reading.Sentences.emplace_back(sentence.Text.View());
            demo.SynthesiseSentence(sentence.Text.Text(), 0, speaker, 10, 10, 1, sentence.Audios);
            for (int k = 0; k < sentence.Audios.Count(); ++k) {
                TDemoAudio &audio = *sentence.Audios.Get(k);
                demo.LoadSynthesisedFile(audio.Data, audio.FileId.Text());
                TMemoryStream pcm(8192);
                DecodeOggVorbis(audio.Data.Memory(), audio.Data.DataSize(), pcm);
                reading.Seconds.push_back(double(pcm.DataSize()) / 32000.0);
            }
        }
    } catch (const TCustomException &e) {
        reading.Failure = e.Message();
    }
    return reading;
}

TEST(ConcurrentClientsE2ETest, FourClientsAtOnceEachGetTheirOwnReading) {
    TempConfigHome home;
    TDemoServerProcess server({"--workers", "4"});
    const std::string endpoint = server.Endpoint();
    const std::string texts[4] = {
        "Birinci istemci okuyor. Kısa bir cümle. Bir tane daha."_cp,
        "İkinci istemcinin metni. Çok daha uzun bir ikinci cümle burada yer alıyor."_cp,
        "Üçüncü. Dördüncü cümle değil bu."_cp,
        "Ağaçlar yeşil. Gökyüzü mavi. Deniz de öyle. Son cümle."_cp,
    };
    std::vector<TReading> together(4);
    std::vector<std::thread> threads;
    for (int c = 0; c < 4; ++c)
        threads.emplace_back([&, c] { together[c] = Read(endpoint, texts[c], 1 + c % 2, c); });
    for (std::thread &thread : threads) thread.join();

    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        ASSERT_EQ(together[c].Failure, "");
        const TReading alone = Read(endpoint, texts[c], 1 + c % 2, 10 + c);
        EXPECT_EQ(together[c].Sentences, alone.Sentences);
        // One item per sentence, two for a sentence long enough to start with a short one.
        ASSERT_GE(together[c].Seconds.size(), together[c].Sentences.size());
        ASSERT_EQ(together[c].Seconds.size(), alone.Seconds.size());
        for (size_t i = 0; i < alone.Seconds.size(); ++i) {
            EXPECT_GT(together[c].Seconds[i], 0.3);
            EXPECT_DOUBLE_EQ(together[c].Seconds[i], alone.Seconds[i]) << "the cached file";
        }
    }
}

}  // namespace
