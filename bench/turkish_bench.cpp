// Sentence splitting and reading normalisation of Turkish text.
#include "server/turkish/turkish_text.h"

#include "foundation/code_page.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About 1 MB of newspaper-like text built from varied paragraphs.
const std::string &OneMegabyte() {
    static const std::string text = [] {
        const char *paragraphs[] = {
            "Prof. Dr. Ahmet Yılmaz, 5. sınıf öğrencileriyle 10.12.2026 tarihinde bir araya geldi. "
            "Toplantıya 1.250 kişi katıldı! Bütçe %12,5 artışla 3.500.000 TL oldu. ",
            "“Neden geldin?” diye sordu. Cevap vermedi… Sonra “Gidelim!” dedi ve kalktı. "
            "(Ayrıntılar için bkz. Ek 2.) T.C. Ziraat Bankası A.Ş. açıklama yaptı. ",
            "Başlık\n\nGerekenler:\n1) Kimlik\n2) Fotoğraf\na) Renkli\n"
            "Elma, armut vb. Meyveler saat 14.30'da dağıtılacak. II. Dünya Savaşı XX. yüzyılda oldu. ",
            "Atatürk Cad. No. 5 Kızılay Mah. Gül Sok. adresinde oturan A. Kaya, www.ornek.com.tr "
            "sitesine yazdı: ali@ornek.com. Sonuç 2024'te belli olacak? Evet.\n",
        };
        std::string utf8;
        while (utf8.size() < (1u << 20))
            for (const char *p : paragraphs) utf8 += p;
        return cp1254::FromUtf8(utf8);
    }();
    return text;
}

void BM_SplitSentences1MB(benchmark::State &state) {
    const std::string &text = OneMegabyte();
    std::size_t sentences = 0;
    for (auto _ : state) {
        auto ranges = SplitSentences(text);
        sentences = ranges.size();
        benchmark::DoNotOptimize(ranges.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["sentences"] = double(sentences);
}
BENCHMARK(BM_SplitSentences1MB)->Unit(benchmark::kMillisecond);

void BM_NormaliseSentence(benchmark::State &state) {
    const std::string sentence = cp1254::FromUtf8(
        "Prof. Dr. Ahmet Yılmaz 10.12.2026 saat 14:05'te TBMM'de %25 artışla 1.250.000 TL'lik "
        "5. paketi açıkladı; II. Dünya Savaşı'ndan beri 4'ü de 120 km/sa hızla geldi.");
    for (auto _ : state) benchmark::DoNotOptimize(NormaliseForSpeech(sentence));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(sentence.size()));
}
BENCHMARK(BM_NormaliseSentence);

}  // namespace

BENCHMARK_MAIN();
