// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main form's own messages, in Windows-1254, in both interface languages.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "foundation/code_page.h"

namespace MainFormTexts {

inline const char *Notice(bool english) {
    return english
        ? "Attention.\r\n\r\nThis program is only purposed Listen to Voice Quality.\r\n\r\n!!! This is Not Real "
          "Text To Speech Application.\r\n\r\nOriginal Application runs on desktop and does not require "
          "Internet Connection.\r\n\r\nTo get more information, you can visit the web site."
        : "Önemli Hatırlatma !\r\n\r\nKullanmakta olduğunuz program, Ses oluşturma işlemini Valtrosa Ana "
          "bilgisayarına bağlanarak internet üzerinden gerçekleştirmektedir. Bu nedenle konuşma sırasında "
          "yoğunluğa bağlı olarak beklemeler olabilir.\r\n\r\nValtrosa'in,  İnternet bağlantısı "
          "gerektirmeyen, MP3 oluşturabilen Konuşma Uygulamaları bulunmaktadır. Bu uygulamalar ayrıca, bu "
          "programda olmayan birçok ek özelliğe sahiptirler.\r\n\r\nDaha fazla bilgi için, internet "
          "sitemizi ziyaret edebilirsiniz."_cp;
}

inline const char *EmptyText(bool english) {
    return english ? "You must type any text below"
                   : "Önce yukarıdaki alana dinlemek istediğimiz metni yapıştırmalısınız."_cp;
}

inline const char *RestartToApply(bool english) {
    return english ? "You must restart your application to activate changes"
                   : "Değişikliklerin Aktif Olması İçin, Programınızı Yeniden Başlatınız"_cp;
}

// The status bar's note on a paste cut at the text box's limit (Windows-1254).
inline std::string PasteCut(bool english, int32_t kept, int32_t dropped, int32_t limit) {
    char text[160];
    if (english)
        std::snprintf(text, sizeof text, "Pasted %d characters; %d more did not fit (limit %d)", int(kept),
                      int(dropped), int(limit));
    else
        std::snprintf(text, sizeof text, "%d karakter yapıştırıldı; %d karakter sığmadı (sınır %d)"_cp,
                      int(kept), int(dropped), int(limit));
    return text;
}

// Turkish in both languages.
inline const char *ChooseReadingStyle() { return "Okuma Şeklini Seçiniz."_cp; }
inline constexpr const char *NoSelectedSpeaker = "No SelectedSpeaker";
inline constexpr const char *InTestMode = "In Test Mode";

inline const char *WordCountFormat(bool english) { return english ? "%d Words" : "%d Kelime"; }

// The letter that Alt presses a button of the main form by (underlined while Alt is held), for
// each text a button shows, by how the text begins (the speed button's value after its name
// changes nothing); 0 for a text without one (the pause sign). No two controls shown at once
// share a letter in either language.
inline char ButtonMnemonic(const char *text) {
    struct Entry {
        const char *Start;
        char Letter;
    };
    static const Entry entries[] = {
        {"Oku", 'O'}, {"Dur", 'D'}, {"Devam", 'D'}, {"Hız"_cp, 'H'}, {"XML Ön İşleme"_cp, 'X'},
        {"XML Cümleleri"_cp, 'C'}, {"Dinlemeye devam"_cp, 'V'},
        {"Read", 'R'}, {"Stop", 'S'}, {"Continue", 'C'}, {"Speed", 'P'}, {"XML Pre Processing", 'X'},
        {"XML Sentences", 'M'}, {"To Continue listening", 'L'},
        {"Belirgin Okuma", 'B'}, {"Akıcı Okuma"_cp, 'A'},
    };
    const std::string_view shown(text ? text : "");
    for (const Entry &entry : entries)
        if (shown.starts_with(entry.Start)) return entry.Letter;
    return 0;
}

}  // namespace MainFormTexts
