// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bounds the speech engine puts on one text, whoever asks: the service adds its own
// bounds on requests (server/service_limits.h) to these.

#include <cstddef>

// The words one Synthesise may have spoken (after numbers, dates and the like are spelled
// out): about an hour of speech at the slow reading style.
inline constexpr size_t MaxSpokenTextBytes = 48 * 1024;
// The words of one audio item: a sentence with more to say is answered as several items,
// cut at clause boundaries, or word boundaries where a clause is longer (about a minute of
// speech at the slow reading style, well within MaxAudioSecondsPerItem).
inline constexpr size_t MaxPieceSpokenBytes = 1000;
// A sentence's first item is short so that its sound comes soon: about 1.5 to 2 s of speech
// (some 14 bytes of spoken text a second at the natural pace). It ends at the first clause
// boundary when that comes within ShortFirstPartMaxBytes, else at the first word that starts
// ShortFirstPartBytes or more into the sentence, provided ShortFirstPartMinRestBytes or more
// follow it; a shorter sentence is one item.
inline constexpr size_t ShortFirstPartBytes = 24;
inline constexpr size_t ShortFirstPartMaxBytes = 48;
inline constexpr size_t ShortFirstPartMinRestBytes = 16;
// The audio of one item: far more than any sentence needs.
inline constexpr int MaxAudioSecondsPerItem = 10 * 60;
// The speech engine is one thread for all: the shortest text waiting goes next, unless one
// has waited this long.
inline constexpr int EngineFairnessSeconds = 2;

// An XML text (IsXML): nesting of its elements, and what its answer may weigh.
inline constexpr int MaxXmlTextDepth = 64;
inline constexpr size_t MaxSentenceAnswerBytes = 4 * 1024 * 1024;
