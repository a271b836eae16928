// SPDX-License-Identifier: GPL-3.0-or-later
// The service splits and reads on several worker threads at once: every thread must get
// what one thread alone gets.
#include "turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(TurkishConcurrently, ThreadsSplitAndReadAsOneThreadDoes) {
    const std::string text = cp1254::FromUtf8(
        "Prof. Dr. Ali 5. sınıfta. TBMM'de %25 indirim! 10.12.2026 saat 14:05'te geldi…\n\n"
        "Başlık\n1) Madde\n\"Gel!\" dedi. T.C. Ziraat Bankası A.Ş. 3.500.000 TL'ye aldı.");
    const auto expectedRanges = SplitSentences(text);
    std::vector<std::string> expectedReadings;
    for (int kind = 0; kind <= 5; ++kind) expectedReadings.push_back(NormaliseForSpeech(text, kind));

    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                const auto ranges = SplitSentences(text);
                bool same = ranges.size() == expectedRanges.size();
                for (std::size_t i = 0; same && i < ranges.size(); ++i)
                    same = ranges[i].Start == expectedRanges[i].Start && ranges[i].Length == expectedRanges[i].Length;
                for (int kind = 0; kind <= 5; ++kind) same = same && NormaliseForSpeech(text, kind) == expectedReadings[kind];
                if (!same) ++mismatches[t];
            }
        });
    }
    for (std::thread &th : threads) th.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
