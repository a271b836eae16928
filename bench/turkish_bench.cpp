// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence splitting and reading normalisation of Turkish text: a 1 MB newspaper-like text,
// one sentence, and 1 MB runs of hostile patterns (each must stay linear).
#include "turkish/turkish_text.h"

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

void BM_Normalise1MB(benchmark::State &state) {
    const std::string &text = OneMegabyte();
    for (auto _ : state) benchmark::DoNotOptimize(NormaliseForSpeech(text));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_Normalise1MB)->Unit(benchmark::kMillisecond);

void BM_NormaliseSentence(benchmark::State &state) {
    const std::string sentence = cp1254::FromUtf8(
        "Prof. Dr. Ahmet Yılmaz 10.12.2026 saat 14:05'te TBMM'de %25 artışla 1.250.000 TL'lik "
        "5. paketi açıkladı; II. Dünya Savaşı'ndan beri 4'ü de 120 km/sa hızla geldi.");
    for (auto _ : state) benchmark::DoNotOptimize(NormaliseForSpeech(sentence));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(sentence.size()));
}
BENCHMARK(BM_NormaliseSentence);

// Hostile input: 1 MB of one short pattern repeated, the runs that once made the reading
// quadratic (nested opening brackets, angle brackets and quotes with no space between), and
// runs of what the reading looks ahead for (sizes, mixed numbers, domains, abbreviations of
// several words, references read only before a number).
std::string Repeated(const char *utf8Pattern) {
    std::string utf8;
    while (utf8.size() < (1u << 20)) utf8 += utf8Pattern;
    return cp1254::FromUtf8(utf8);
}

void BM_NormaliseHostile1MB(benchmark::State &state, const char *pattern, int kind) {
    const std::string text = Repeated(pattern);
    for (auto _ : state) benchmark::DoNotOptimize(NormaliseForSpeech(text, kind));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, nested_brackets, "(a", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, angles_and_quotes, "<a‹a", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, address_kind, "(a", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, ordinals, "1. a ", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, periods_and_capitals, "5. A", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, sizes, "1x", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, mixed_numbers, "2 ", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, domains, "a.com.", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, abbreviations_of_words, "Md. Yrd. ", 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NormaliseHostile1MB, inches_and_quotes, "1\" \"a 2” “", 0)->Unit(benchmark::kMillisecond);

void BM_SplitHostile1MB(benchmark::State &state, const char *pattern) {
    const std::string text = Repeated(pattern);
    for (auto _ : state) benchmark::DoNotOptimize(SplitSentences(text).size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK_CAPTURE(BM_SplitHostile1MB, nested_brackets, "(a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SplitHostile1MB, periods_and_capitals, "5. A")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SplitHostile1MB, abbreviations, "vb.). A ")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SplitHostile1MB, abbreviations_of_words, "Day. Tük. Mal. A ")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SplitHostile1MB, legal_references, "m. 5 E. ")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
