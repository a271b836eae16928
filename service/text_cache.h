// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two process-wide caches through which a text that was already split, or a sentence
// that was already synthesised, is reused instead of being asked for again.
//
// - TextCache owns every text split during the run (its OwnsItems is set). A text stays
//   until the process ends, except one whose split failed: that one is removed at once
//   (sentence_procedures.h), so that the next reading asks the service again.
// - SentenceCache holds references to sentences owned by the texts in TextCache; it never
//   destroys them, so the two may be destroyed in either order.
//
// Only the synthesis thread reads or changes the caches, and at most one runs at a time,
// so they have no lock. Both live until the process exits.

#include <cstdint>

#include "foundation/my_string.h"
#include "records/narrelo_cumles.h"
#include "records/narrelo_texts.h"

TNarreloTexts &TextCache();
TNarreloCumles &SentenceCache();

// The index of the first text of TextCache (scanning from 0) whose Speaker and IsXml equal
// the given values and whose Text equals `text` under MyString::Equals (case-insensitive
// with the Turkish letter pairs; texts of different lengths never match); -1 if none. The
// numbers are compared first, the text only when both match.
int32_t FindText(const MyString &text, bool isXml, int32_t speaker);
// The same scan over SentenceCache, with each sentence's Speaker, IsXml and Text.
int32_t FindSentence(const MyString &text, bool isXml, int32_t speaker);

// Empties both caches, destroying the cached texts and with them their sentences. Only
// while no reading runs (tests, and tools that start over).
void ClearReadingCaches();
