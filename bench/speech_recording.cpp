// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_recording.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"

extern char **environ;

namespace {

constexpr int Seconds = 60;
constexpr int Rate = 16000;

// About ninety seconds of everyday narration at espeak-ng's normal rate; the first minute
// is used.
const char *const Text =
    "Sabahın erken saatlerinde şehir yavaş yavaş uyanıyordu. Fırınlardan taze ekmek kokusu "
    "yükseliyor, martılar limanın üzerinde dönüp duruyordu. Yaşlı balıkçı teknesini iskeleye "
    "bağladı ve ağlarını özenle katlamaya başladı. Gece boyunca denizde kalmış, yorgun ama "
    "mutluydu; çünkü bu sefer ağları boş dönmemişti. Kıyıdaki çay bahçesinde birkaç emekli "
    "öğretmen gazetelerini okuyor, günün haberlerini tartışıyordu. Biri ekonominin durumundan "
    "yakınıyor, diğeri yeni açılan kütüphanenin mahalleye ne kadar iyi geldiğini anlatıyordu. "
    "Okul servisleri sokakları doldurdu, çocukların neşeli sesleri rüzgâra karıştı. Pazar "
    "yerinde satıcılar tezgâhlarını kuruyor, domatesleri, biberleri ve mevsimin ilk "
    "çileklerini dikkatle diziyordu. Bir kadın, kızına hangi meyvenin daha tatlı olduğunu "
    "nasıl anlayacağını öğretiyordu. Öğleye doğru güneş iyice yükseldi ve caddeler "
    "kalabalıklaştı. Belediye binasının önünde küçük bir konser hazırlığı vardı; gençler "
    "hoparlörleri taşıyor, kabloları düzenliyordu. Akşam olduğunda herkes evine dönecek, şehir "
    "yine sessizliğe gömülecekti. Ama o gün, sıradan görünen o gün, pek çok insan için "
    "unutulmaz bir anıya dönüşecekti. Çünkü akşamüstü limana büyük ve eski bir yelkenli gemi "
    "yanaştı, ve güvertesinden inen yolcular uzak ülkelerden hikâyeler getirdi.";

[[noreturn]] void Fail(const std::string &what) {
    std::fprintf(stderr, "bench_pipeline: %s\n", what.c_str());
    std::exit(2);
}

void Run(std::vector<std::string> args) {
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        Fail("cannot start " + args[0] + " (scripts/install-deps.sh installs it)");
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(args[0] + " failed");
}

std::vector<uint8_t> ReadAll(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<int16_t> Decode(const std::vector<uint8_t> &ogg) {
    TMemoryStream pcm;
    DecodeOggVorbis(ogg.data(), static_cast<int32_t>(ogg.size()), pcm);
    const auto *samples = reinterpret_cast<const int16_t *>(pcm.Memory());
    return std::vector<int16_t>(samples, samples + pcm.DataSize() / 2);
}

TSpeechRecording Make() {
    char pattern[] = "/tmp/narrelo-bench-XXXXXX";
    if (!mkdtemp(pattern)) Fail("cannot make a temporary folder");
    const std::filesystem::path dir = pattern;
    {
        std::ofstream(dir / "text.txt") << Text;
    }
    Run({"espeak-ng", "-v", "tr", "-w", dir / "speech.wav", "-f", dir / "text.txt"});
    Run({"oggenc", "-Q", "-q", "1", "--resample", std::to_string(Rate), "-o", dir / "long.ogg", dir / "speech.wav"});
    std::vector<int16_t> pcm = Decode(ReadAll(dir / "long.ogg"));
    if (pcm.size() < static_cast<size_t>(Seconds * Rate)) Fail("the recording is shorter than a minute");
    pcm.resize(static_cast<size_t>(Seconds * Rate));
    {
        std::ofstream raw(dir / "minute.raw", std::ios::binary);
        raw.write(reinterpret_cast<const char *>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
    }
    Run({"oggenc", "-Q", "-r", "-B", "16", "-C", "1", "-R", std::to_string(Rate), "--raw-endianness", "0",
         "-q", "1", "-o", dir / "minute.ogg", dir / "minute.raw"});
    TSpeechRecording recording;
    recording.Ogg = ReadAll(dir / "minute.ogg");
    recording.Pcm = Decode(recording.Ogg);
    std::filesystem::remove_all(dir);
    return recording;
}

}  // namespace

const TSpeechRecording &SpeechRecording() {
    static const TSpeechRecording recording = Make();
    return recording;
}
