// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence splitting of Turkish text, by category of rule. Texts are written in UTF-8 here
// and split as the service splits them, in Windows-1254.
#include "turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Case {
    const char *label;
    const char *text;
    std::vector<std::string> sentences;
};

std::vector<std::string> Split(const std::string &utf8) {
    std::string text = cp1254::FromUtf8(utf8);
    std::vector<std::string> out;
    for (const TSentenceRange &r : SplitSentences(text)) {
        EXPECT_GE(r.Start, 0);
        EXPECT_GT(r.Length, 0);
        EXPECT_LE(std::size_t(r.Start + r.Length), text.size());
        out.push_back(cp1254::ToUtf8(text.substr(r.Start, r.Length)));
    }
    return out;
}

void Check(const std::vector<Case> &cases) {
    for (const Case &c : cases) EXPECT_EQ(Split(c.text), c.sentences) << c.label;
}

TEST(SplitSentences, FinalMarksBeforeACapitalADigitOrAnOpening) {
    Check({
        {"period, capital", "Eve geldim. Yemek yedim.", {"Eve geldim.", "Yemek yedim."}},
        {"question", "Geldin mi? Evet geldim.", {"Geldin mi?", "Evet geldim."}},
        {"exclamation", "Dur! Bekle.", {"Dur!", "Bekle."}},
        {"run of marks", "Gerçekten mi?! Hiç sanmıyorum.", {"Gerçekten mi?!", "Hiç sanmıyorum."}},
        {"three periods", "Bilmiyorum... Belki yarın.", {"Bilmiyorum...", "Belki yarın."}},
        {"ellipsis character", "Bilmiyorum… Belki yarın.", {"Bilmiyorum…", "Belki yarın."}},
        {"Turkish capitals", "Bitti. İstanbul uzak. Çok güzel. Şimdi gel. Ödev var. Üzüldüm. Irmak aktı.",
         {"Bitti.", "İstanbul uzak.", "Çok güzel.", "Şimdi gel.", "Ödev var.", "Üzüldüm.", "Irmak aktı."}},
        {"digit next", "Toplantı bitti. 15 kişi katıldı.", {"Toplantı bitti.", "15 kişi katıldı."}},
        {"opening quote next", "Sustu. \"Gidelim\" dedi.", {"Sustu.", "\"Gidelim\" dedi."}},
        {"typographic quote next", "Sustu. “Gidelim” dedi.", {"Sustu.", "“Gidelim” dedi."}},
        {"parenthesis next", "Bitti. (Ek bilgi aşağıda.)", {"Bitti.", "(Ek bilgi aşağıda.)"}},
        {"lower case next", "Ne dedi? bilmiyorum.", {"Ne dedi? bilmiyorum."}},
        {"no space after", "Bitti.Sonra gitti.", {"Bitti.Sonra gitti."}},
        {"no final mark", "Başlık yok", {"Başlık yok"}},
        {"empty", "", {}},
        {"whitespace only", "  \r\n\t ", {}},
    });
}

TEST(SplitSentences, PeriodsThatEndNoSentence) {
    Check({
        {"titles", "Prof. Dr. Ahmet Yılmaz geldi. Doç. Ayşe Kaya da.",
         {"Prof. Dr. Ahmet Yılmaz geldi.", "Doç. Ayşe Kaya da."}},
        {"lawyer", "Av. Mehmet Demir savunma yaptı.", {"Av. Mehmet Demir savunma yaptı."}},
        {"vb. before a capital", "Elma, armut vb. Meyveler sağlıklıdır.", {"Elma, armut vb. Meyveler sağlıklıdır."}},
        {"vs. and bkz.", "Kalem, defter vs. alındı (bkz. Ek 2).", {"Kalem, defter vs. alındı (bkz. Ek 2)."}},
        {"T.C. and A.Ş.", "T.C. Ziraat Bankası A.Ş. Genel Müdürlüğü açıklama yaptı.",
         {"T.C. Ziraat Bankası A.Ş. Genel Müdürlüğü açıklama yaptı."}},
        {"Ltd. Şti.", "Yıldız Gıda San. ve Tic. Ltd. Şti. Kayseri'de kuruldu.",
         {"Yıldız Gıda San. ve Tic. Ltd. Şti. Kayseri'de kuruldu."}},
        {"Ltd.Şti. written together", "Kaya Ltd.Şti. Ankara'dadır.", {"Kaya Ltd.Şti. Ankara'dadır."}},
        {"address", "Atatürk Cad. No. 5 Kızılay Mah. Gül Sok. Ankara.",
         {"Atatürk Cad. No. 5 Kızılay Mah. Gül Sok. Ankara."}},
        {"abbreviation in capitals", "ATATÜRK CAD. NO. 5 ANKARA.", {"ATATÜRK CAD. NO. 5 ANKARA."}},
        {"ordinal, lower case", "Ali 5. sınıfta okuyor.", {"Ali 5. sınıfta okuyor."}},
        {"ordinal, capital", "Kanunun 3. Maddesi açıktır.", {"Kanunun 3. Maddesi açıktır."}},
        {"year before a capital", "Cumhuriyet 1923. Yılında kurulmadı mı? Kuruldu.",
         {"Cumhuriyet 1923.", "Yılında kurulmadı mı?", "Kuruldu."}},
        {"year ordinal", "1923. yılın olayları anlatıldı.", {"1923. yılın olayları anlatıldı."}},
        {"initial", "A. Yılmaz ve M.K. Atatürk anıldı.", {"A. Yılmaz ve M.K. Atatürk anıldı."}},
        {"Turkish initial", "Ş. Demir geldi.", {"Ş. Demir geldi."}},
        {"Roman numeral", "II. Dünya Savaşı bitti. XIX. Yüzyıl başladı.",
         {"II. Dünya Savaşı bitti.", "XIX. Yüzyıl başladı."}},
        {"page", "Bkz. s. 45 ve devamı.", {"Bkz. s. 45 ve devamı."}},
        {"decimal and thousands", "Fiyat 1.250,50 TL oldu. Oran 3.5 arttı.", {"Fiyat 1.250,50 TL oldu.", "Oran 3.5 arttı."}},
        {"date", "Tarih 10.12.2026 olarak belirlendi.", {"Tarih 10.12.2026 olarak belirlendi."}},
        {"time", "Saat 14.30'da başlar. Gelin.", {"Saat 14.30'da başlar.", "Gelin."}},
        {"URL", "Adres www.Ornek.com.tr sitesinde.", {"Adres www.Ornek.com.tr sitesinde."}},
        {"e-mail", "Yazın: ali.Veli@Ornek.com. Cevap gelir.", {"Yazın: ali.Veli@Ornek.com.", "Cevap gelir."}},
        {"number with dots ends", "Katılımcı sayısı 12.000. Bu rekor.", {"Katılımcı sayısı 12.000.", "Bu rekor."}},
    });
}

TEST(SplitSentences, APeriodAfterANumberEndsTheSentenceUnlessTheContextMakesAnOrdinal) {
    Check({
        {"counting word before", "Katılımcı sayısı 250. Geçen yıl 180 idi.",
         {"Katılımcı sayısı 250.", "Geçen yıl 180 idi."}},
        {"rate and score words", "Faiz oranı 45. Puanı 85. Sonra açıklandı.",
         {"Faiz oranı 45.", "Puanı 85.", "Sonra açıklandı."}},
        {"article number", "Bkz. Madde 5. Ayrıca Ek 2. Tablo eklidir.",
         {"Bkz. Madde 5.", "Ayrıca Ek 2.", "Tablo eklidir."}},
        {"decimal", "Enflasyon 3,5. Bu beklenenden düşük.", {"Enflasyon 3,5.", "Bu beklenenden düşük."}},
        {"range", "Sınav saat 9-11. Öğrenciler erken gelsin.", {"Sınav saat 9-11.", "Öğrenciler erken gelsin."}},
        {"score", "Maç 3-1. Taraftarlar sevindi.", {"Maç 3-1.", "Taraftarlar sevindi."}},
        {"model code", "Uçak bir A320. Kalkış gecikti.", {"Uçak bir A320.", "Kalkış gecikti."}},
        {"code with a hyphen", "Filoda F-16. Yenileri geliyor.", {"Filoda F-16.", "Yenileri geliyor."}},
        {"pronoun opens the next", "Onun aldığı not 90. Bu çok iyi.", {"Onun aldığı not 90.", "Bu çok iyi."}},
        {"after a possessive noun", "Yaş ortalaması 25. Takım genç.", {"Yaş ortalaması 25.", "Takım genç."}},
        {"year", "Kuruluş 1923. Yıllar geçti.", {"Kuruluş 1923.", "Yıllar geçti."}},
        {"grouped number", "Seyirci 45.000. Stat doldu.", {"Seyirci 45.000.", "Stat doldu."}},
        {"court", "İstanbul 5. Asliye Hukuk Mahkemesi karar verdi.", {"İstanbul 5. Asliye Hukuk Mahkemesi karar verdi."}},
        {"war and league", "2. Dünya Savaşı ve 1. Lig bitti.", {"2. Dünya Savaşı ve 1. Lig bitti."}},
        {"term with a suffix", "TBMM 28. Döneminde görüşüldü.", {"TBMM 28. Döneminde görüşüldü."}},
        {"ordinal of a grouped number", "10.000. ziyaretçi ödül aldı.", {"10.000. ziyaretçi ödül aldı."}},
        {"ordinal range", "5-6. sınıflar gezdi.", {"5-6. sınıflar gezdi."}},
        {"number then a digit", "Sıra 12. 13 kişi daha geldi.", {"Sıra 12.", "13 kişi daha geldi."}},
        {"section heading", "3.2. Yöntem\nBu bölümde yöntem anlatılır.",
         {"3.2. Yöntem", "Bu bölümde yöntem anlatılır."}},
        {"deeper heading after a line", "Bulgular\n4.1.2. Örneklem seçildi.", {"Bulgular", "4.1.2. Örneklem seçildi."}},
        {"dotted version ends a sentence", "Sürüm 3.2. Yenilikler çok.", {"Sürüm 3.2.", "Yenilikler çok."}},
        {"date ends a sentence", "Tarih 10.12.2026. Herkes gelsin.", {"Tarih 10.12.2026.", "Herkes gelsin."}},
        {"the last of numbers written apart", "Tel 0850 123 45 67. Fenerbahçe aradı.", {"Tel 0850 123 45 67.", "Fenerbahçe aradı."}},
        {"a leading zero makes a code", "Hesap 6789 01. Vergi numarası ekte.", {"Hesap 6789 01.", "Vergi numarası ekte."}},
        {"street ordinal of any size", "Adres 1453. Sokak No 5.", {"Adres 1453. Sokak No 5."}},
    });
}

TEST(SplitSentences, DialogueLinesAndAbbreviationsInsideBrackets) {
    Check({
        {"em dash opens a line", "Sordu:\n— Nereye gidiyorsun?\n— Eve, dedi.",
         {"Sordu:", "— Nereye gidiyorsun?", "— Eve, dedi."}},
        {"em dash without a space", "Sordu:\n—Nereye?\n—Eve.", {"Sordu:", "—Nereye?", "—Eve."}},
        {"em dash inside a line starts nothing", "Gel — dedi — hemen.", {"Gel — dedi — hemen."}},
        {"vb.). ends", "Meyve (elma, armut vb.). Sebze de var.", {"Meyve (elma, armut vb.).", "Sebze de var."}},
        {"vs.\"). ends", "\"Kalem, defter vs.\". Sonra gitti.", {"\"Kalem, defter vs.\".", "Sonra gitti."}},
        {"abbreviation before a bracket alone ends nothing", "(bkz. s. 5 vb.) Sonra.", {"(bkz. s. 5 vb.) Sonra."}},
    });
}

TEST(SplitSentences, QuotesAndParentheses) {
    Check({
        {"closing quote belongs", "\"Geldim.\" Sonra oturdu.", {"\"Geldim.\"", "Sonra oturdu."}},
        {"typographic closing", "“Geldim!” Sonra oturdu.", {"“Geldim!”", "Sonra oturdu."}},
        {"mark after quote", "Ona \"Git\". Gitmedi.", {"Ona \"Git\".", "Gitmedi."}},
        {"mark after closing after mark", "\"Geldim!\". Sonra oturdu.", {"\"Geldim!\".", "Sonra oturdu."}},
        {"parenthesis closes", "(Bu bir nottur.) Devam ediyoruz.", {"(Bu bir nottur.)", "Devam ediyoruz."}},
        {"question in quotes, lower case", "\"Nereye?\" diye sordu.", {"\"Nereye?\" diye sordu."}},
        {"exclamation in quotes, lower case", "«Dur!» dedi ve gitti.", {"«Dur!» dedi ve gitti."}},
        {"ellipsis, lower case", "Bekledi… bekledi… Sonunda geldi.", {"Bekledi… bekledi…", "Sonunda geldi."}},
        {"three periods, lower case", "Ama... neyse. Tamam.", {"Ama... neyse.", "Tamam."}},
        {"parenthesis without mark", "(bkz. Ek) Sonra.", {"(bkz. Ek) Sonra."}},
    });
}

TEST(SplitSentences, LineBreaks) {
    Check({
        {"blank line, heading", "Giriş\n\nBu bölümde konu anlatılır.", {"Giriş", "Bu bölümde konu anlatılır."}},
        {"blank line, salutation", "Sayın Yetkili,\r\n\r\nBilgilerinize sunarım.", {"Sayın Yetkili,", "Bilgilerinize sunarım."}},
        {"blank line with spaces", "Başlık \n \t\nMetin.", {"Başlık", "Metin."}},
        {"blank line after abbreviation", "Bkz. Dr.\n\nAhmet geldi.", {"Bkz. Dr.", "Ahmet geldi."}},
        {"single line break", "Bu cümle iki satıra\nbölünmüştür.", {"Bu cümle iki satıra\nbölünmüştür."}},
        {"single break, capital, no mark", "Sayın Yetkili,\nBilgilerinize sunarım.", {"Sayın Yetkili,\nBilgilerinize sunarım."}},
        {"single break after a mark", "Geldi.\nSonra gitti.", {"Geldi.", "Sonra gitti."}},
        {"list items", "Gerekenler:\n1) Kimlik\n2) Fotoğraf\na) Renkli\n3. Dilekçe\n- Kalem",
         {"Gerekenler:", "1) Kimlik", "2) Fotoğraf", "a) Renkli", "3. Dilekçe", "- Kalem"}},
        {"ordinal at a line start is no list item after a word", "Toplam\n12 kişi geldi.", {"Toplam\n12 kişi geldi."}},
        {"old Mac line breaks", "Bir.\rİki.\r\rÜç", {"Bir.", "İki.", "Üç"}},
    });
}

TEST(SplitSentences, RangesAreExactBytesWithoutTheWhitespaceBetween) {
    std::string text = cp1254::FromUtf8("  Çok güzel.   Şöyle…\r\n\r\n«Dur!»  ");
    auto ranges = SplitSentences(text);
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_EQ(ranges[0].Start, 2);
    EXPECT_EQ(ranges[0].Length, 10);  // one byte per character, "Ç" and "ü" included
    EXPECT_EQ(ranges[1].Start, 15);
    EXPECT_EQ(ranges[1].Length, 6);  // "…" is one byte
    EXPECT_EQ(ranges[2].Start, 25);
    EXPECT_EQ(ranges[2].Length, 6);
}

TEST(SplitSentences, EveryByteValueIsSafe) {
    std::string text;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) text += char(b);
    auto ranges = SplitSentences(text);
    int last = 0;
    for (const TSentenceRange &r : ranges) {
        EXPECT_GE(r.Start, last);
        EXPECT_GT(r.Length, 0);
        last = r.Start + r.Length;
    }
    EXPECT_LE(std::size_t(last), text.size());
}

// A text is read within its bytes: one that ends in a number after a line break (a list item
// or a section number could start there) is split without a look past its end. The text
// lies in a buffer of exactly its size, so AddressSanitizer sees any such look.
TEST(SplitSentences, ATextEndingInANumberIsReadWithinItsBytes) {
    for (const char *utf8 : {"Bitti.\n34", "Bitti.\n3.2", "Bitti.\n1"}) {
        const std::string text = cp1254::FromUtf8(utf8);
        const std::unique_ptr<char[]> exact(new char[text.size()]);
        std::memcpy(exact.get(), text.data(), text.size());
        const auto ranges = SplitSentences(std::string_view(exact.get(), text.size()));
        ASSERT_EQ(ranges.size(), 2u) << utf8;
        EXPECT_EQ(ranges[1].Start + ranges[1].Length, int(text.size())) << utf8;
    }
}

}  // namespace
