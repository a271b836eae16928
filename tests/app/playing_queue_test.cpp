// SPDX-License-Identifier: GPL-3.0-or-later
// The playing queue: which sentence is highlighted while a reading is heard, how far the
// progress bar stands, and that late events of a stopped reading change nothing.

#include "app/playing_queue.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Range = std::optional<TTextRange>;

TEST(PlayingQueueTest, TheFirstQueuedSentenceIsHighlightedAndEachHeardBufferMovesToTheNext) {
    TPlayingQueue queue;
    const uint32_t serial = queue.Start(0);
    EXPECT_EQ(queue.Queued(serial, 0, 0, 10), Range(TTextRange{0, 10}));
    EXPECT_EQ(queue.Queued(serial, 1, 11, 5), std::nullopt) << "only the first entry highlights";
    EXPECT_EQ(queue.Queued(serial, 2, 17, 8), std::nullopt);
    EXPECT_EQ(queue.Heard(serial, 0), Range(TTextRange{11, 5}));
    EXPECT_EQ(queue.SentencesHeard(), 1);
    EXPECT_EQ(queue.Heard(serial, 1), Range(TTextRange{17, 8}));
    EXPECT_EQ(queue.Heard(serial, 2), std::nullopt);
    EXPECT_EQ(queue.SentencesHeard(), 3);
    EXPECT_TRUE(queue.Empty());
    // The queue ran dry; the next sentence highlights itself again.
    EXPECT_EQ(queue.Queued(serial, 3, 26, 4), Range(TTextRange{26, 4}));
}

TEST(PlayingQueueTest, TheHighlightIsShiftedToWhereTheSentTextBeginsInTheTextBox) {
    TPlayingQueue queue;
    // The reading took a selection that begins at character 40 of the text box.
    const uint32_t serial = queue.Start(40);
    EXPECT_EQ(queue.Queued(serial, 0, 0, 12), Range(TTextRange{40, 12}));
    queue.Queued(serial, 1, 13, 7);
    EXPECT_EQ(queue.Heard(serial, 0), Range(TTextRange{53, 7}));
}

TEST(PlayingQueueTest, TheWarningSoundsBufferNeverMovesTheHighlight) {
    TPlayingQueue queue;
    const uint32_t serial = queue.Start(0);
    queue.Queued(serial, 0, 0, 10);
    queue.Queued(serial, 1, 11, 5);
    // The warning sound was queued before the sentences and finishes after the first was
    // queued: the first sentence stays highlighted.
    EXPECT_EQ(queue.Heard(serial, WarningSoundTag), std::nullopt);
    EXPECT_EQ(queue.Count(), 2);
    EXPECT_EQ(queue.SentencesHeard(), 0);
    EXPECT_EQ(queue.Heard(serial, 0), Range(TTextRange{11, 5}));
}

TEST(PlayingQueueTest, ASentenceOfSeveralItemsStaysHighlightedUntilItsLastItemIsHeard) {
    TPlayingQueue queue;
    const uint32_t serial = queue.Start(0);
    queue.Queued(serial, 0, 0, 10);
    queue.Queued(serial, 0, 0, 10);
    queue.Queued(serial, 1, 11, 5);
    EXPECT_EQ(queue.Heard(serial, 0), Range(TTextRange{0, 10}));
    EXPECT_EQ(queue.SentencesHeard(), 0);
    EXPECT_EQ(queue.Heard(serial, 0), Range(TTextRange{11, 5}));
    EXPECT_EQ(queue.SentencesHeard(), 1);
}

TEST(PlayingQueueTest, EventsOfAnEarlierReadingAreIgnored) {
    TPlayingQueue queue;
    const uint32_t first = queue.Start(0);
    queue.Queued(first, 0, 0, 10);
    queue.Queued(first, 1, 11, 5);
    const uint32_t second = queue.Start(5);
    EXPECT_NE(first, second);
    EXPECT_TRUE(queue.Empty());
    // The first reading's buffers were dropped when it stopped; their ends arrive late.
    EXPECT_EQ(queue.Heard(first, 0), std::nullopt);
    EXPECT_EQ(queue.Queued(first, 2, 17, 3), std::nullopt);
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Queued(second, 0, 0, 4), Range(TTextRange{5, 4}));
    EXPECT_EQ(queue.Heard(first, 0), std::nullopt);
    EXPECT_EQ(queue.Count(), 1);
}

TEST(PlayingQueueTest, ABufferHeardPastEntriesWithoutSoundDropsThemAndAnUnknownTagChangesNothing) {
    TPlayingQueue queue;
    const uint32_t serial = queue.Start(0);
    queue.Queued(serial, 0, 0, 10);
    queue.Queued(serial, 1, 11, 5);
    queue.Queued(serial, 2, 17, 8);
    EXPECT_EQ(queue.Heard(serial, 7), std::nullopt);
    EXPECT_EQ(queue.Count(), 3);
    // Sentence 0's sound never played (its writing failed); sentence 1's buffer ends.
    EXPECT_EQ(queue.Heard(serial, 1), Range(TTextRange{17, 8}));
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.SentencesHeard(), 2);
    queue.Clear();
    EXPECT_EQ(queue.Heard(serial, 2), std::nullopt);
}

}  // namespace
