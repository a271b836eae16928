// SPDX-License-Identifier: GPL-3.0-or-later
// Where narrelo-say's sound goes, against a real narrelo-demoserver on loopback: a WAVE file
// past what 32-bit sizes count becomes RF64 and a WAVE stream ends on a whole sentence
// before its readers stop counting (the bound shrunk by the test-only setting); every
// stopping signal leaves whole sentences and a sealed file; the text's own file is never the
// output; standard output tells the truth (closed, appended to, not seekable).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/wav_pcm.h"

#if __has_include("tests/support/demo_server_process.h")
#include "tests/support/demo_server_process.h"

namespace {

using TStrings = std::vector<std::string>;

const char *const Sentences[] = {
    "İstanbul, Boğaziçi'nin iki yakasına kurulmuş büyük ve eski bir şehirdir.",
    "Sabahları vapurlar işe giden insanlarla dolar, martılar da onların peşinden uçar.",
    "Akşamüstü güneş batarken tarihi yarımadanın kubbeleri altın rengine bürünür.",
    "Çay bahçelerinde oturan yaşlılar tavla oynar, çocuklar sahilde koşuşturur.",
};

// A sentence of two clauses of 70 words each: more than the service speaks as one item, so
// it comes as two (a stop between them would cut the sentence).
std::string TwoItemSentence(int n) {
    static const char *const words[] = {"güzel", "bahçe", "deniz", "kitap", "yol", "ev", "masa",
                                        "kalem", "pencere", "kapı", "orman", "nehir", "dağ"};
    std::string sentence = std::to_string(n + 1) + ". bölümde";
    for (int clause = 0; clause < 2; ++clause) {
        for (int w = 0; w < 70; ++w) sentence += std::string(" ") + words[size_t(w * 7 + n + clause) % 13];
        sentence += clause == 0 ? "," : ".";
    }
    return sentence;
}

class NarreloSayOutputE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver"))
            GTEST_SKIP() << "narrelo-demoserver is not built";
        server = std::make_unique<TDemoServerProcess>();
    }
    TStrings Environment(const std::string &extra = "") const {
        TStrings environment = {"XDG_CONFIG_HOME=" + home.Folder()};
        if (!extra.empty()) environment.push_back(extra);
        return environment;
    }
    std::string Path(const std::string &name) const { return home.Folder() + "/" + name; }
    TStrings Args(const TStrings &more) const {
        TStrings args = {"--server", server->Endpoint()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    TChildResult Say(const TStrings &more, const std::string &input = "", const std::string &environment = "") {
        TChildProcess child(NARRELO_SAY_EXE, Args(more), input, Environment(environment));
        return child.Wait(std::chrono::seconds(120));
    }
    // `times` rounds of the four sentences, one text.
    std::string Rounds(int times) const {
        std::string text;
        for (int i = 0; i < times; ++i)
            for (const std::string &sentence : sentences) text += sentence + " ";
        return text;
    }
    // The PCM of each sentence read alone; a reading of them is these one after the other.
    const std::vector<std::string> &SentencePcm() {
        if (pcm.empty()) {
            for (const std::string &sentence : sentences) {
                const TChildResult run = Say({"--wav", Path("one.wav"), sentence});
                EXPECT_EQ(run.Status, 0) << run.Err;
                pcm.push_back(ReadWavPcm(Path("one.wav")).Data);
            }
        }
        return pcm;
    }
    // The PCM a reading of Rounds(times) stopped after k whole sentences holds, every k.
    std::set<size_t> SentenceEnds(int times) {
        std::set<size_t> ends = {0};
        size_t at = 0;
        for (int i = 0; i < times; ++i)
            for (const std::string &one : SentencePcm()) ends.insert(at += one.size());
        return ends;
    }
    std::string Whole(int times) {
        std::string all;
        for (int i = 0; i < times; ++i)
            for (const std::string &one : SentencePcm()) all += one;
        return all;
    }

    TempConfigHome home;
    std::unique_ptr<TDemoServerProcess> server;
    std::vector<std::string> sentences{std::begin(Sentences), std::end(Sentences)};
    std::vector<std::string> pcm;
};

// With the 32-bit bound shrunk to 1.2 MB: a file beyond it is RF64 and holds every sample;
// a stream into a pipe ends with exit 1 and the advice, on a whole sentence below the bound.
TEST_F(NarreloSayOutputE2eTest, PastThirtyTwoBitSizesAFileIsRf64AndAStreamEndsOnASentence) {
    const int rounds = 4;  // about 75 s of speech: 2.4 MB
    const std::string whole = Whole(rounds);
    const std::string limit = "NARRELO_SAY_TEST_WAV_LIMIT=1200000";
    {
        SCOPED_TRACE("a file");
        const TChildResult run = Say({"--wav", Path("long.wav"), Rounds(rounds)}, "", limit);
        ASSERT_EQ(run.Status, 0) << run.Err;
        const TWavPcm wav = ReadWavPcm(Path("long.wav"));
        ASSERT_TRUE(wav.Valid);
        EXPECT_TRUE(wav.Rf64);
        EXPECT_TRUE(wav.Data == whole) << wav.Data.size() << " of " << whole.size();
    }
    {
        SCOPED_TRACE("a stream into a pipe");
        TStrings args = Args({"--wav", "-", Rounds(rounds)});
        args.insert(args.begin(), {"-c", "{ \"$0\" \"$@\"; echo $? > \"$OUT.status\"; } | cat > \"$OUT\"",
                                   NARRELO_SAY_EXE});
        TStrings environment = Environment(limit);
        environment.push_back("OUT=" + Path("stream.wav"));
        TChildProcess child("/bin/sh", args, "", environment);
        const TChildResult run = child.Wait(std::chrono::seconds(120));
        EXPECT_EQ(TChildProcess::Read(Path("stream.wav.status")), "1\n") << run.Err;
        EXPECT_NE(run.Err.find("a WAVE stream holds at most 4 GiB of sound"), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("--ogg"), std::string::npos) << run.Err;
        const std::string stream = TChildProcess::Read(Path("stream.wav"));
        ASSERT_GT(stream.size(), 44u);
        const std::string data = stream.substr(44);
        EXPECT_LE(data.size(), 1200000u);
        EXPECT_GT(data.size(), 600000u);
        EXPECT_EQ(SentenceEnds(rounds).count(data.size()), 1u) << data.size() << " is not a sentence's end";
        EXPECT_TRUE(whole.compare(0, data.size(), data) == 0);
    }
}

// SIGHUP (a closed terminal), SIGINT and SIGTERM in the middle of a reading: the exit status
// names the signal, the WAVE file's header matches its data, which ends on a whole sentence;
// an Ogg file has its end of stream.
TEST_F(NarreloSayOutputE2eTest, EveryStoppingSignalLeavesWholeSentences) {
    sentences = {TwoItemSentence(0), TwoItemSentence(1), TwoItemSentence(2)};
    const int rounds = 1;
    const std::string text = Rounds(rounds);
    const std::set<size_t> ends = SentenceEnds(rounds);
    const std::string whole = Whole(rounds);
    struct TCase {
        int signal;
        int status;
        const char *file;
    };
    for (const TCase &c : {TCase{SIGHUP, 129, "hup.wav"}, TCase{SIGINT, 130, "int.wav"},
                           TCase{SIGTERM, 143, "term.wav"}, TCase{SIGHUP, 129, "hup.ogg"}}) {
        SCOPED_TRACE(c.file);
        const std::string out = Path(c.file);
        const bool ogg = out.ends_with(".ogg");
        TChildProcess child(NARRELO_SAY_EXE, Args({ogg ? "--ogg" : "--wav", out, text}), "", Environment());
        // A stop in the middle: some sound written, but not all of it.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        const uintmax_t some = ogg ? 8000 : 100000;
        while (std::chrono::steady_clock::now() < limit &&
               (!std::filesystem::exists(out) || std::filesystem::file_size(out) < some))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        child.Signal(c.signal);
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, c.status) << run.Err;
        EXPECT_NE(run.Err.find("narrelo-say: stopped"), std::string::npos) << run.Err;
        if (ogg) {
            const std::string file = TChildProcess::Read(out);
            const size_t last = file.rfind("OggS");
            ASSERT_NE(last, std::string::npos);
            EXPECT_TRUE(file[last + 5] & 0x04) << "the last page does not end the stream";
            continue;
        }
        const TWavPcm wav = ReadWavPcm(out);
        ASSERT_TRUE(wav.Valid);
        EXPECT_EQ(std::filesystem::file_size(out), 80 + wav.Data.size());
        EXPECT_LT(wav.Data.size(), whole.size());
        EXPECT_EQ(ends.count(wav.Data.size()), 1u) << wav.Data.size() << " is not a sentence's end";
        EXPECT_TRUE(whole.compare(0, wav.Data.size(), wav.Data) == 0);
    }
}

// The text's own file as the output (by its name, a link, or a redirection) is refused
// before anything is written, and the text stays as it was.
TEST_F(NarreloSayOutputE2eTest, TheTextsFileIsNeverTheOutput) {
    const std::string text = Path("text.txt");
    const std::string content = std::string(Sentences[0]) + "\n";
    std::filesystem::create_symlink(text, Path("link.wav"));
    struct TCase {
        const char *label;
        std::string script;  // run by sh with narrelo-say as $0 and its server options as "$@"
    };
    const std::string say = "\"$0\" \"$@\"";
    for (const TCase &c : {
             TCase{"the same name", say + " --wav \"$T\" --file \"$T\""},
             TCase{"through a link", say + " --wav \"$D/link.wav\" --file \"$T\""},
             TCase{"standard input", say + " --ogg \"$T\" < \"$T\""},
             TCase{"standard output appending to it", say + " --wav - --file \"$T\" >> \"$T\""},
         }) {
        SCOPED_TRACE(c.label);
        { std::ofstream(text, std::ios::binary) << content; }
        TStrings args = Args({});
        args.insert(args.begin(), {"-c", c.script, NARRELO_SAY_EXE});
        TStrings environment = Environment("T=" + text);
        environment.push_back("D=" + home.Folder());
        TChildProcess child("/bin/sh", args, "", environment);
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 2) << run.Err;
        EXPECT_NE(run.Err.find("is both the text and the output"), std::string::npos) << run.Err;
        EXPECT_EQ(TChildProcess::Read(text), content);
    }
}

// Standard output as it is: closed is an error; appended to gets one stream header at the
// end and no second one; /dev/stdout on a pipe is a stream, without "Illegal seek".
TEST_F(NarreloSayOutputE2eTest, StandardOutputTellsTheTruth) {
    const std::string say = "\"$0\" \"$@\"";
    for (const char *format : {"--wav", "--ogg"}) {
        SCOPED_TRACE(format);
        TStrings args = Args({format, "-", Sentences[0]});
        args.insert(args.begin(), {"-c", say + " >&-", NARRELO_SAY_EXE});
        TChildProcess child("/bin/sh", args, "", Environment());
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_NE(run.Err.find("standard output is closed"), std::string::npos) << run.Err;
    }
    const std::string pcm = SentencePcm()[0];
    {
        SCOPED_TRACE("appended to");
        const std::string out = Path("append.wav");
        { std::ofstream(out, std::ios::binary) << "before"; }
        TStrings args = Args({"--wav", "-", Sentences[0]});
        args.insert(args.begin(), {"-c", say + " >> \"$OUT\"", NARRELO_SAY_EXE});
        TChildProcess child("/bin/sh", args, "", Environment("OUT=" + out));
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 0) << run.Err;
        const std::string file = TChildProcess::Read(out);
        ASSERT_EQ(file.size(), 6 + 44 + pcm.size());
        EXPECT_EQ(file.compare(0, 10, "beforeRIFF"), 0);
        EXPECT_EQ(file.compare(6 + 4, 4, "\xFF\xFF\xFF\xFF"), 0);
        EXPECT_TRUE(file.compare(50, std::string::npos, pcm) == 0);
    }
    {
        SCOPED_TRACE("/dev/stdout on a pipe");
        const std::string out = Path("piped.wav");
        TStrings args = Args({"--wav", "/dev/stdout", Sentences[0]});
        args.insert(args.begin(),
                    {"-c", "{ " + say + "; echo $? > \"$OUT.status\"; } | cat > \"$OUT\"", NARRELO_SAY_EXE});
        TChildProcess child("/bin/sh", args, "", Environment("OUT=" + out));
        const TChildResult run = child.Wait();
        EXPECT_EQ(TChildProcess::Read(out + ".status"), "0\n") << run.Err;
        EXPECT_EQ(run.Err.find("Illegal seek"), std::string::npos) << run.Err;
        const std::string file = TChildProcess::Read(out);
        ASSERT_EQ(file.size(), 44 + pcm.size());
        EXPECT_TRUE(file.compare(44, std::string::npos, pcm) == 0);
    }
}

}  // namespace

#else

TEST(NarreloSayOutputE2eTest, NeedsTheDemoServer) { GTEST_SKIP() << "no demo server support"; }

#endif
