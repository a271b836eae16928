// SPDX-License-Identifier: GPL-3.0-or-later
// A sentence answered in parts (the first a few words, cut after its first clause) sounds
// as the sentence does unbroken: the parts decoded and played one after the other are the
// sentence's speech within the seam measure (no extra pause, no click, no noise at the cut
// beyond the encoder's own), for both reading styles and for cuts at a comma, a semicolon
// and before a conjunction.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "server/speech_file.h"
#include "speech/speech_synthesiser.h"
#include "tests/support/seam_measure.h"

namespace {

TSpeechEngine &Engine() {
    static TSpeechEngine engine;
    return engine;
}

std::vector<int16_t> Decoded(const std::string &ogg) {
    TMemoryStream pcm(8192);
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    std::vector<int16_t> samples(size_t(pcm.DataSize()) / 2);
    std::memcpy(samples.data(), pcm.Memory(), samples.size() * 2);
    return samples;
}

TEST(SpeechPartsTest, PartsPlayedInARowAreTheSentenceWithinTheSeamMeasure) {
    struct TCase {
        const char *Label;
        std::string Sentence;
        int Speaker;
        std::string FirstWords;
    };
    const TCase cases[] = {
        {"comma, fluent", "Sahilde yürüdük, martılar uçuyordu."_cp, 1, "sahilde yürüdük,"_cp},
        {"comma, clear", "Sahilde yürüdük, martılar uçuyordu."_cp, 2, "sahilde yürüdük,"_cp},
        {"semicolon", "Kapı açıktı; içeri girdik ve oturduk."_cp, 1, "kapı açıktı;"_cp},
        {"conjunction", "Bu sabah erkenden kalkıp çiçekleri suladım ve ardından çay içtim."_cp, 1,
         "bu sabah erkenden kalkıp çiçekleri suladım"_cp},
        // No clause boundary: cut after the first words, inside running speech.
        {"no clause, fluent", "Bu sabah erkenden kalkıp bahçedeki bütün çiçekleri suladım."_cp, 1,
         "bu sabah erkenden kalkıp"_cp},
        {"no clause, clear", "Bu sabah erkenden kalkıp bahçedeki bütün çiçekleri suladım."_cp, 2,
         "bu sabah erkenden kalkıp"_cp},
    };
    TSpeechSynthesiser synthesiser(Engine());
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Label);
        const TSynthesisRequest whole{c.Sentence, false, c.Speaker, 10, 10, 1};
        const TSpeech speech = synthesiser.Speak(whole);
        const int32_t cut = TSpeechSynthesiser::ShortFirstPartEnd(speech.SpokenText);
        ASSERT_GT(cut, 0);
        std::vector<std::vector<int16_t>> parts;
        std::vector<std::string> words;
        for (const auto &[from, to] :
             {std::pair{0, cut}, std::pair{cut, int32_t(speech.SpokenText.size())}}) {
            TSynthesisRequest part = whole;
            part.PartFrom = from;
            part.PartTo = to;
            const TSynthesisResult result = EncodeSpeechFile(part, speech);
            parts.push_back(Decoded(result.Ogg));
            words.push_back(result.SpokenText);
        }
        EXPECT_EQ(words[0], c.FirstWords);
        EXPECT_EQ(words[0] + " " + words[1], speech.SpokenText);
        // The first part is a short start, the second the rest of the sentence.
        EXPECT_GT(parts[0].size(), 16000u / 4);
        EXPECT_GT(parts[1].size(), parts[0].size() / 2);

        const TSeamMeasure seams = MeasureSeams(speech.Samples, parts);
        ASSERT_EQ(seams.Seams.size(), 1u);
        EXPECT_EQ(seams.LengthDifference, 0);
        EXPECT_LE(seams.WorstExcessDb(), 3.0)
            << "seam " << seams.Seams[0].NoiseDb << " dB, codec " << seams.CodecNoiseDb << " dB";
        // A step of 256 is -42 dB of full scale: far below a click, above the few units a
        // cut in the middle of a quiet stretch leaves.
        EXPECT_LE(seams.WorstStepExcess(), 256)
            << "step " << seams.Seams[0].JoinedStep << " against " << seams.Seams[0].WholeStep;
    }
}

// Behind a balancer, or with several processes, the two parts of a sentence may come from
// two syntheses (espeak-ng keeps some state from one utterance to the next, so two
// syntheses need not agree to the bit): they still join without a click, their length
// within 2 ms of the sentence's.
TEST(SpeechPartsTest, PartsOfTwoSynthesesJoinWithoutAClickOrAGap) {
    TSpeechSynthesiser synthesiser(Engine());
    for (const std::string &sentence : {"Sahilde yürüdük, martılar uçuyordu."_cp,
                                        "Bu sabah çiçekleri suladım ve ardından çay içtim."_cp}) {
        SCOPED_TRACE(sentence);
        const TSynthesisRequest whole{sentence, false, 1, 10, 10, 1};
        const TSpeech first = synthesiser.Speak(whole);
        synthesiser.Speak({"Araya başka bir cümle girdi."_cp, false, 1, 10, 10, 1});
        const TSpeech second = synthesiser.Speak(whole);
        const int32_t cut = TSpeechSynthesiser::FirstPartEnd(first.SpokenText);
        TSynthesisRequest head = whole, rest = whole;
        head.PartTo = rest.PartFrom = cut;
        rest.PartTo = int32_t(first.SpokenText.size());
        const TSeamMeasure seams =
            MeasureSeams(first.Samples, {Decoded(EncodeSpeechFile(head, first).Ogg),
                                         Decoded(EncodeSpeechFile(rest, second).Ogg)});
        // A pause is cut at the same place; a cut in sound may move by a millisecond or two
        // (2 ms: 32 samples), far below a pause a listener would notice.
        EXPECT_LE(std::labs(seams.LengthDifference), 32) << "samples";
        EXPECT_LE(seams.WorstStepExcess(), 256)
            << "step " << seams.Seams[0].JoinedStep << " against " << seams.Seams[0].WholeStep;
    }
}

}  // namespace
