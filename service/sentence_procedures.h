// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two procedures through which a reading gets its data, from the caches of
// text_cache.h or from the service: the sentences of a text, and the audio items of a
// sentence. The synthesis thread calls them; they run on that thread only.
//
// A procedure that fails leaves nothing half done in the caches: a text whose split failed
// (service error, corrupt data) is removed from TextCache and destroyed, and audio items
// appended by a synthesis that then failed are destroyed, so a later reading asks the
// service again instead of silently playing nothing, or only a part.

#include <cstdint>

#include "foundation/my_string.h"
#include "records/narrelo_cumle.h"
#include "records/narrelo_text.h"

class TDemoClientBase;

// The cached text equal to (text, isXml, speaker), used unchanged with its sentences and
// audio items; otherwise a new text appended to TextCache, split through the service
// (LoadSentences) and stamped with `speaker`. The result is owned by TextCache. On failure
// the new text is removed again and the exception passed on; when an XML text could not be
// read as XML, XmlSwitchAdvice in the interface language follows the service's words.
// What to do when a text read as XML is not XML (Windows-1254).
const char *XmlSwitchAdvice(bool english);

TNarreloText *GetTextSentences(TDemoClientBase &client, const MyString &text, bool isXml,
                               int32_t speaker);

// The sentence whose audio items a reading plays for `sentence`:
// - `sentence` itself when it already has audio items;
// - otherwise the sentence of SentenceCache equal to it (Text, IsXml and `speaker`), which
//   then stands in for it (`sentence` stays without items);
// - otherwise `sentence`, after its items were synthesised through the service
//   (SynthesiseSentence with its Text and IsXml and the given speaker, volume, speed and
//   file type) and appended to its Audios.
// The result is added to SentenceCache unless that very object, or a sentence equal to it,
// is there already.
TNarreloCumle *GetSentenceAudios(TDemoClientBase &client, TNarreloCumle &sentence,
                                 int32_t speaker, int32_t volume, int32_t speed,
                                 int32_t fileType);
