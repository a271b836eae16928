// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesiser over the real espeak-ng: the two reading styles differ audibly, several
// threads may synthesise at once (espeak-ng itself only ever runs on the engine's own
// thread), and requests it does not offer are refused with a message.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "server/speech_file.h"
#include "speech/speech_synthesiser.h"

namespace {

// One engine per process (espeak-ng is process-global). It loads in the background, as the
// service's does: the first test to ask speaks while the voice may still be loading.
TSpeechEngine &Engine() {
    static TSpeechEngine engine{TSpeechEngine::TLoadInBackground{}};
    return engine;
}

double Seconds(const std::string &ogg) {
    TMemoryStream pcm(8192);
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    return double(pcm.DataSize()) / 2.0 / 16000.0;
}

const std::string Sentence = "Bugün hava çok güzel, parka yürüyüşe gidelim mi?"_cp;

// Runs first: the engine is made here and texts are handed over at once, from several
// threads, before its voice has loaded. Each waits for the voice and gets its own speech.
TEST(SpeechEngineTest, TextsHandedOverWhileTheVoiceLoadsAreSpoken) {
    const TVoiceSettings voice;
    const std::string texts[] = {cp1254::ToUtf8("Kısa."_cp), cp1254::ToUtf8(Sentence)};
    size_t samples[2] = {0, 0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i)
        threads.emplace_back([&, i] { samples[i] = Engine().Speak(texts[i], voice).size(); });
    for (std::thread &t : threads) t.join();
    EXPECT_NO_THROW(Engine().Ready());
    EXPECT_GT(samples[0], size_t(TSpeechEngine::SampleRate / 4));
    EXPECT_GT(samples[1], samples[0] * 3) << "each text got its own speech";
}

TEST(SpeechSynthesiserTest, ClearReadingIsSlowerThanFluentReading) {
    TSpeechSynthesiser synthesiser(Engine());
    const TSynthesisResult fluent = SynthesiseFile(synthesiser, {Sentence, false, 1, 10, 10, 1});
    const TSynthesisResult clear = SynthesiseFile(synthesiser, {Sentence, false, 2, 10, 10, 1});
    EXPECT_EQ(fluent.SpokenText, "bugün hava çok güzel, parka yürüyüşe gidelim mi?"_cp);
    const double fluentSeconds = Seconds(fluent.Ogg), clearSeconds = Seconds(clear.Ogg);
    EXPECT_GT(fluentSeconds, 1.5);
    EXPECT_LT(fluentSeconds, 6.0);
    EXPECT_GT(clearSeconds, fluentSeconds * 1.25) << fluentSeconds << " s / " << clearSeconds << " s";
}

// espeak-ng keeps state from one utterance to the next (the phase of its wave generator),
// so two syntheses of one request agree in length and sound but not always to the bit; the
// server's file cache is what gives a request the same bytes every time. What threads must
// never do is mix their requests up: each result is its own request's speech.
TEST(SpeechSynthesiserTest, SeveralThreadsAtOnceEachGetTheirOwnSpeech) {
    TSpeechSynthesiser synthesiser(Engine());
    const TSynthesisRequest requests[] = {
        {Sentence, false, 1, 10, 10, 1},
        {Sentence, false, 2, 10, 10, 1},
        {"Kısa."_cp, false, 1, 10, 10, 1},
        {"Bir, iki, üç, dört, beş."_cp, false, 1, 10, 10, 1},
    };
    std::vector<double> alone;
    for (const TSynthesisRequest &request : requests)
        alone.push_back(Seconds(SynthesiseFile(synthesiser, request).Ogg));

    std::vector<std::vector<double>> together(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < together.size(); ++t)
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < std::size(requests); ++i)
                together[t].push_back(Seconds(
                    SynthesiseFile(synthesiser, requests[(i + t) % std::size(requests)]).Ogg));
        });
    for (std::thread &thread : threads) thread.join();
    for (size_t t = 0; t < together.size(); ++t)
        for (size_t i = 0; i < std::size(requests); ++i)
            EXPECT_NEAR(together[t][i], alone[(i + t) % std::size(requests)],
                        alone[(i + t) % std::size(requests)] * 0.06)
                << t << " " << i;
}

TEST(SpeechSynthesiserTest, XmlSentencesSpeakTheirPartsInOrder) {
    TSpeechSynthesiser synthesiser(Engine());
    const std::string document =
        "<xml>\r\n<SENTENCE>\r\nAdı <SENTENCEPART TEXTKIND=\"3\">\r\nAyşe &amp; Ali\r\n</SENTENCEPART>\r\n"
        "</SENTENCE>\r\n</xml>\r\n"_cp;
    const TSynthesisResult result = SynthesiseFile(synthesiser, {document, true, 1, 10, 10, 1});
    EXPECT_EQ(result.SpokenText, "adı ayşe ve ali"_cp);
    EXPECT_GT(Seconds(result.Ogg), 0.5);
}

TEST(SpeechSynthesiserTest, RefusesWhatItDoesNotOffer) {
    TSpeechSynthesiser synthesiser(Engine());
    const struct {
        const char *Label;
        TSynthesisRequest Request;
        const char *Message;
    } cases[] = {
        {"speaker 0", {"a", false, 0, 10, 10, 1}, "Speaker 0 is not offered"},
        {"speaker 3", {"a", false, 3, 10, 10, 1}, "Speaker 3 is not offered"},
        {"file type 2", {"a", false, 1, 10, 10, 2}, "File type 2 is not offered"},
        {"broken XML", {"<xml><SENTENCE>", true, 1, 10, 10, 1}, "XML error on line 1"},
        // Numbers spelled out make many more words than digits: refused before speaking.
        {"too much to say", {std::string(7000, '7') + " " + std::string(7000, '3'), false, 1, 10, 10, 1},
         "too long to be spoken"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        try {
            SynthesiseFile(synthesiser, c.Request);
            ADD_FAILURE() << "no error";
        } catch (const TSynthesisError &e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}

// Words enough for `seconds` of fluent speech, give or take.
std::string WordsFor(int seconds) {
    std::string text;
    while (text.size() < size_t(seconds) * 14) text += "bugün hava çok güzel "_cp;
    return text;
}

TEST(SpeechEngineTest, SpeechStopsAtItsBoundAndWhenNoLongerWanted) {
    const TVoiceSettings voice;
    const std::string utf8 = cp1254::ToUtf8(WordsFor(20));
    EXPECT_THROW(Engine().Speak(utf8, voice, TSpeechEngine::SampleRate * 2), TSpeechTooLong);
    int asked = 0;
    EXPECT_THROW(Engine().Speak(utf8, voice, SIZE_MAX, [&] { return ++asked > 3; }), TSpeechCancelled);
    EXPECT_THROW(Engine().Speak(utf8, voice, SIZE_MAX, [] { return true; }), TSpeechCancelled)
        << "gone before its turn";
    // The engine goes on speaking for the others.
    EXPECT_GT(Engine().Speak(cp1254::ToUtf8(Sentence), voice).size(), size_t(TSpeechEngine::SampleRate));
}

TEST(SpeechEngineTest, TheShortestTextWaitingIsSpokenNext) {
    const TVoiceSettings voice;
    // The first text holds the engine (in its cancel question) until the two others wait.
    std::mutex lock;
    std::condition_variable changed;
    bool speaking = false, release = false;
    std::vector<std::string> finished;
    const auto done = [&](const std::string &name) {
        std::lock_guard<std::mutex> guard(lock);
        finished.push_back(name);
    };
    std::thread first([&] {
        Engine().Speak(cp1254::ToUtf8(Sentence), voice, SIZE_MAX, [&] {
            std::unique_lock<std::mutex> guard(lock);
            speaking = true;
            changed.notify_all();
            changed.wait_for(guard, std::chrono::seconds(10), [&] { return release; });
            return false;
        });
        done("first");
    });
    {
        std::unique_lock<std::mutex> guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(10), [&] { return speaking; }));
    }
    std::thread longer([&] {
        Engine().Speak(cp1254::ToUtf8(WordsFor(30)), voice);
        done("long");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the long one queues first
    std::thread shorter([&] {
        Engine().Speak(cp1254::ToUtf8("Kısa."_cp), voice);
        done("short");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    {
        std::lock_guard<std::mutex> guard(lock);
        release = true;
    }
    changed.notify_all();
    first.join();
    longer.join();
    shorter.join();
    // (The first one's thread may note its end after the short one's: only the two that
    // waited are compared.)
    const auto position = [&](const char *name) {
        return std::find(finished.begin(), finished.end(), name) - finished.begin();
    };
    ASSERT_EQ(finished.size(), 3u);
    EXPECT_LT(position("short"), position("long"));
}

}  // namespace
