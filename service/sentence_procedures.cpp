// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/sentence_procedures.h"

#include <memory>
#include <string>
#include <string_view>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/registry_settings.h"
#include "service/demo_client_base.h"
#include "service/text_cache.h"

namespace {

int32_t IndexOf(const TCustomList &list, const void *entry) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.Get(i) == entry) return i;
    return -1;
}

}  // namespace

const char *XmlSwitchAdvice(bool english) {
    return english ? "The XML switch is on, so the text is read as XML. For a plain text, switch XML off."
                   : "XML düğmesi açık olduğu için metin XML olarak okunuyor. Düz bir metin için XML "
                     "düğmesini kapatın."_cp;
}

TNarreloText *GetTextSentences(TDemoClientBase &client, const MyString &text, bool isXml,
                               int32_t speaker) {
    TNarreloTexts &cache = TextCache();
    const int32_t found = FindText(text, isXml, speaker);
    if (found >= 0) return cache.Get(found);

    // Appended before the service is asked, as the cache's record of this request. Owned
    // here until the cache holds it, and again once it is taken out after a failure.
    std::unique_ptr<TNarreloText> created(cache.CreateItem());
    cache.Add(created.get());
    TNarreloText *entry = created.release();
    try {
        entry->Text.Assign(text.Text(), text.Length());
        entry->IsXml = isXml;
        entry->Speaker = speaker;
        try {
            client.LoadSentences(entry->Text.Text(), isXml ? 1 : 0, entry->Sentences);
        } catch (const TException &e) {
            // The service could not read the text as XML: most often a plain text read with
            // the XML switch on. Say so after the service's words.
            if (!isXml || std::string_view(e.Message()).find("XML error") == std::string_view::npos) throw;
            bool english = false;
            try {
                english = ReadInterfaceIsEnglish() == 1;
            } catch (const TCustomException &) {
                // Turkish, the interface's default
            }
            const std::string message = std::string(e.Message()) + "\r\n\r\n" + XmlSwitchAdvice(english);
            throw TException(message.data(), message.size());
        }
    } catch (...) {
        // A text without its sentences must not stay: every later reading would find it and
        // play nothing, or only the sentences read before the failure.
        std::unique_ptr<TNarreloText> removed(entry);
        const int32_t index = IndexOf(cache, entry);
        if (index >= 0) cache.Delete(index);
        throw;
    }
    SetSpeaker(entry->Sentences, speaker);
    return entry;
}

TNarreloCumle *GetSentenceAudios(TDemoClientBase &client, TNarreloCumle &sentence,
                                 int32_t speaker, int32_t volume, int32_t speed,
                                 int32_t fileType) {
    TNarreloCumles &cache = SentenceCache();
    TNarreloCumle *used = &sentence;
    if (sentence.Audios.Count() == 0) {
        const int32_t found = FindSentence(sentence.Text, sentence.IsXml, speaker);
        if (found >= 0) {
            used = cache.Get(found);
        } else {
            TDemoAudios &audios = sentence.Audios;
            const int32_t before = audios.Count();
            try {
                client.SynthesiseSentence(sentence.Text.Text(), sentence.IsXml ? 1 : 0, speaker,
                                          volume, speed, fileType, audios);
            } catch (...) {
                // Items read before a corrupt record would otherwise pass for the whole
                // sentence in every later reading.
                for (int32_t i = audios.Count() - 1; i >= before; --i) {
                    std::unique_ptr<TDemoAudio> removed(audios.Get(i));
                    audios.Delete(i);
                }
                throw;
            }
        }
    }
    if (IndexOf(cache, used) < 0 && FindSentence(used->Text, used->IsXml, speaker) < 0)
        cache.Add(used);
    return used;
}
