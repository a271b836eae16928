// SPDX-License-Identifier: GPL-3.0-or-later
// The table of abbreviations and words (turkish/abbreviations.tsv) as running text
// reads it and the splitter honours it: legal references, recipes, offices and company
// titles, several-word forms, shorthand and foreign names, and the forms read so only in
// their context.
#include "turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <gtest/gtest.h>

#include "tests/turkish/support/reading_cases.h"

#include <string>
#include <vector>

namespace {

using reading_cases::Case;
using reading_cases::Check;
using reading_cases::Read;

std::vector<std::string> Split(const std::string &utf8) {
    const std::string text = cp1254::FromUtf8(utf8);
    std::vector<std::string> out;
    for (const TSentenceRange &r : SplitSentences(text)) out.push_back(cp1254::ToUtf8(text.substr(r.Start, r.Length)));
    return out;
}

TEST(Lexicon, LegalReferencesOnlyBeforeTheirNumber) {
    Check({
        {"article and paragraph", "TCK m. 86 f. 2 b. 3", "te ce ke madde seksen altı fıkra iki bent üç"},
        {"docket and decision", "E. 2023/145 K. 2024/12", "esas iki bin yirmi üç bölü yüz kırk beş karar iki bin yirmi dört bölü on iki"},
        {"an initial stays an initial", "E. Yılmaz ve K. Demir", "e yılmaz ve ke demir"},
        {"chambers after their number", "Yargıtay 9. HD'nin ve 12. CD, HGK", "yargıtay dokuzuncu hukuk dairesinin ve on ikinci ceza dairesi, hukuk genel kurulu"},
        {"elsewhere the letters", "HD kalite", "he de kalite"},
        {"figures and tables", "Şek. 3'te ve Tab. 2", "şekil üçte ve tablo iki"},
        {"numbered law, and a page", "4857 s. İş Kanunu, s. 45", "dört bin sekiz yüz elli yedi sayılı iş kanunu, sayfa kırk beş"},
        {"a metre stays a metre", "Boyu 5 m. kadar", "boyu beş metre kadar"},
        {"a metre before a number", "Boyu 1 m. 80 cm", "boyu bir metre seksen santimetre"},
        {"ordinal ending written apart", "5 inci maddesinin 3 üncü fıkrası", "beşinci maddesinin üçüncü fıkrası"},
        {"ordinal after a slash", "TCK'nın 53/1. maddesi", "te ce kenin elli üç bölü birinci maddesi"},
        {"an article's number ends the sentence", "B.K. m. 49. HMK", "be ke madde kırk dokuz. he me ke"},
    });
    Check({{"in an address a floor and a flat", "Gül Sok. No. 5 K. 3 D. 7", "gül sokağı numara beş kat üç daire yedi"}}, 1);
}

TEST(Lexicon, RecipesAndReferencesAfterTheirNumber) {
    Check({
        {"count", "3 ad. yumurta", "üç adet yumurta"},
        {"spoons and cups", "2 y.k. un, 1 ç.k. tuz, 1 sb süt", "iki yemek kaşığı un, bir çay kaşığı tuz, bir su bardağı süt"},
        {"about, before a number", "yak. 20 dk pişirin", "yaklaşık yirmi dakika pişirin"},
        {"edition after an ordinal", "3. bas. İstanbul", "üçüncü baskı istanbul"},
        {"packet", "2 pk. makarna", "iki paket makarna"},
    });
}

TEST(Lexicon, OfficesAndCommercialTitles) {
    Check({
        {"deputy director, a possessive compound", "Md. Yrd.'na", "müdür yardımcısına"},
        {"board chair", "Yön. Kur. Bşk. Ali Kaya", "yönetim kurulu başkanı ali kaya"},
        {"general directorate", "Gn. Md. Yrd. ve Gn. Müd.", "genel müdür yardımcısı ve genel müdürlüğü."},
        {"each word alone where the whole is not written", "Md. Ali ve Yrd. Doç.", "müdür ali ve yardımcı doçent."},
        {"company in full", "Day. Tük. Mal. Taah. Dağ. Konf. Pazar. Sist. Ltd. Şti.",
         "dayanıklı tüketim malları taahhüt dağıtım konfeksiyon pazarlama sistemleri limited şirketi."},
        {"Turkish joint-stock and cooperative", "T.A.Ş. ve S.S. Koop.'na", "türk anonim şirketi ve sınırlı sorumlu kooperatifine"},
        {"professions and box", "SMMM Ali, Diş Hek. Veli, PK 12", "serbest muhasebeci mali müşavir ali, diş hekimi veli, posta kutusu on iki"},
        {"numbered", "5 No.lu daire, 7 nolu oda, 12 no.lu", "beş numaralı daire, yedi numaralı oda, on iki numaralı"},
        {"saint before a place", "St. Petersburg'a", "sent petersburga"},
    });
    Check({{"a commercial title", "XYZ İnş. Taah. Day. Tük. Mal. Paz. A.Ş.",
            "iks ye ze inşaat taahhüt dayanıklı tüketim malları pazarlama anonim şirketi"}},
          2);
}

TEST(Lexicon, ShorthandAndForeignNames) {
    Check({
        {"greetings", "slm nbr, Mrb tmm tşkler, tşk ederim", "selam naber, merhaba tamam teşekkürler, teşekkür ederim"},
        {"century without its period", "19. yy'da", "on dokuzuncu yüzyılda"},
        {"shorthand in capitals is an acronym", "HB ve SLM", "he be ve se le me"},
        {"brands", "iPhone, Google ve WhatsApp", "ayfon, gugıl ve vatsap"},
        {"any letter case", "GOOGLE google Google", "gugıl gugıl gugıl"},
        {"with a suffix", "YouTube'da Netflix'i", "yutupta netfliksi"},
        {"cars", "Volkswagen, Peugeot ve Hyundai", "folksvagen, pejo ve hünday"},
    });
}

TEST(Lexicon, AnUnknownAbbreviationKeepsNoPeriodInsideTheSentence) {
    Check({
        {"unknown, lower case follows", "Şek. bakınız ve xyz. deneme", "şek bakınız ve xyz deneme"},
        {"a sentence end is kept", "Bitti. Sonra", "bitti. sonra"},
        {"a long word's period is kept", "geldim. sonra", "geldim. sonra"},
        {"so is a short word's in lower case", "yorgunum ya. tmm", "yorgunum ya. tamam"},
    });
}

TEST(Lexicon, TheSplitterHonoursTheContext) {
    const std::vector<std::pair<const char *, std::vector<std::string>>> cases = {
        {"Md. Yrd. Ali geldi.", {"Md. Yrd. Ali geldi."}},
        {"Yön. Kur. Bşk. Veli konuştu.", {"Yön. Kur. Bşk. Veli konuştu."}},
        {"Day. Tük. Mal. Ltd. Şti. açıldı.", {"Day. Tük. Mal. Ltd. Şti. açıldı."}},
        {"TCK m. 5 uyarınca ceza aldı.", {"TCK m. 5 uyarınca ceza aldı."}},
        {"Boyu 5 m. Sonra büyüdü.", {"Boyu 5 m.", "Sonra büyüdü."}},
        {"Bir ad. Sonra başka.", {"Bir ad.", "Sonra başka."}},
        {"St. Petersburg güzel.", {"St. Petersburg güzel."}},
        {"Bkz. Şek. 3 ve Tab. 2.", {"Bkz. Şek. 3 ve Tab. 2."}},
        {"B.K. m. 49. HMK uygulanır.", {"B.K. m. 49.", "HMK uygulanır."}},
        {"Bkz. s. 12. Sonra bak.", {"Bkz. s. 12.", "Sonra bak."}},
    };
    for (const auto &[text, sentences] : cases) EXPECT_EQ(Split(text), sentences) << text;
}

}  // namespace
