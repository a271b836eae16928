// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-say as a real process against the scripted loopback service: the WAVE file holds
// exactly the PCM the pipeline makes of the service's audio, the settings reach the
// service, a failure keeps what was fetched, Ctrl-C stops at once, and wrong usage is told.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/memory_stream.h"
#include "foundation/registry.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/speed_change.h"
#include "records/demo_audios.h"
#include "tests/service/support/service_fixtures.h"
#include "tests/service/support/soap_test_server.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/wav_pcm.h"

namespace {

using TStrings = std::vector<std::string>;

std::string Fixture(const char *name) {
    return TChildProcess::Read(std::string(NARRELO_PIPELINE_FIXTURES) + "/" + name);
}

// The PCM the reading pipeline makes of one Ogg Vorbis file at speed setting `speed`.
std::string Pipeline(const std::string &ogg, int speed) {
    TMemoryStream pcm;
    DecodeOggVorbis(reinterpret_cast<const uint8_t *>(ogg.data()), int32_t(ogg.size()), pcm);
    if (speed == 10) return {reinterpret_cast<const char *>(pcm.Memory()), size_t(pcm.DataSize())};
    TMemoryStream changed;
    ChangeSpeed(pcm.Memory(), pcm.DataSize(), 10 - speed, changed);
    return {reinterpret_cast<const char *>(changed.Memory()), size_t(changed.DataSize())};
}

// A Synthesise answer with one item, sent with its bytes or (empty `bytes`) by file id.
std::string OneAudio(const char *text, const char *fileId, const std::string &bytes) {
    TDemoAudios list;
    TDemoAudio *audio = list.CreateItem();
    list.Add(audio);
    audio->Text = text;
    audio->SpokenText = text;
    audio->FileId = fileId;
    audio->FileType = 1;
    audio->Volume = 10;
    audio->Speed = 10;
    audio->Data.Write(bytes.data(), int32_t(bytes.size()));
    return AudiosReply(list);
}

class NarreloSayTest : public ::testing::Test {
protected:

    TChildResult Say(const TStrings &args, const std::string &input = "") {
        TChildProcess child(NARRELO_SAY_EXE, args, input, Environment());
        return child.Wait();
    }
    TStrings Environment() const { return {"XDG_CONFIG_HOME=" + home.Folder()}; }
    std::string Wav() const { return home.Folder() + "/out.wav"; }
    // The request elements of the given operation.
    TStrings Requests(const std::string &operation) const {
        TStrings found;
        for (const std::string &request : server.Requests())
            if (Operations({request})[0] == operation) found.push_back(RequestElement(request));
        return found;
    }

    TempConfigHome home;
    TSoapTestServer server;
    const std::string ogg = Fixture("speech_mono.ogg");
};

struct TWavCase {
    const char *label;
    TStrings options;  // besides the server and --wav
    enum { Option, Argument, Settings } server;  // --server, DemoServer=URL or the settings
    int speed;
    const char *isXml;    // as the ParseSentences request states it
    const char *speaker;  // as the Synthesise requests state it
};

TEST_F(NarreloSayTest, WavHoldsExactlyThePcmThatWouldBePlayed) {
    const TWavCase cases[] = {
        {"normal speed, clear reading", {}, TWavCase::Option, 10, "<IsXML>false</IsXML>", "<ASpeaker>2</ASpeaker>"},
        {"slower, fluent reading, XML", {"--speed", "15", "--style=akici", "--xml"}, TWavCase::Option, 15,
         "<IsXML>true</IsXML>", "<ASpeaker>1</ASpeaker>"},
        {"faster, server from DemoServer=", {"--speed=3"}, TWavCase::Argument, 3,
         "<IsXML>false</IsXML>", "<ASpeaker>2</ASpeaker>"},
        {"server from the settings", {"--speed=20"}, TWavCase::Settings, 20, "<IsXML>false</IsXML>",
         "<ASpeaker>2</ASpeaker>"},
    };
    const std::string expected0 = Pipeline(ogg, 10);
    ASSERT_GT(expected0.size(), 32000u);
    for (const TWavCase &c : cases) {
        SCOPED_TRACE(c.label);
        server.AddReply(LoginReply("c1", "s1"));
        server.AddReply(SentencesReply({"Bir.", "Iki."}));
        server.AddReply(OneAudio("Bir.", "f1", ""));
        server.AddReply(ReturnReply("GetSynthesisedFile", Base64({ogg.begin(), ogg.end()})));
        server.AddReply(OneAudio("Iki.", "", ogg));
        TStrings args = c.options;
        if (c.server == TWavCase::Option) args.push_back("--server=" + server.Endpoint());
        if (c.server == TWavCase::Argument) args.push_back("-demoserver=" + server.Endpoint());
        if (c.server == TWavCase::Settings) {
            TRegistry settings(HKEY_CURRENT_USER, u"Software\\Valtrosa");
            settings.CreateIfMissing = true;
            const std::string endpoint = server.Endpoint();
            settings.WriteString(u"DemoServer", endpoint.c_str(), int32_t(endpoint.size()));
        }
        args.insert(args.end(), {"--wav", Wav(), "Bir. Iki."});
        const size_t before = server.RequestCount();

        const TChildResult run = Say(args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        const TWavPcm wav = ReadWavPcm(Wav());
        ASSERT_TRUE(wav.Valid);
        EXPECT_EQ(wav.FormatTag, 1);
        EXPECT_EQ(wav.Channels, 1);
        EXPECT_EQ(wav.SampleRate, 16000u);
        EXPECT_EQ(wav.BitsPerSample, 16);
        const std::string one = Pipeline(ogg, c.speed);
        EXPECT_TRUE(wav.Data == one + one) << wav.Data.size() << " bytes, not " << 2 * one.size();

        const TStrings ops = Operations(server.Requests());
        EXPECT_EQ(TStrings(ops.begin() + long(before), ops.end()),
                  (TStrings{"Login", "ParseSentences", "Synthesise", "GetSynthesisedFile", "Synthesise"}));
        EXPECT_NE(Requests("ParseSentences").back().find(c.isXml), std::string::npos);
        EXPECT_NE(Requests("Synthesise").back().find(c.speaker), std::string::npos);
    }
}

// Symbols without a Windows-1254 byte are dropped and letters of other scripts left out as
// blanks, with a warning that counts them: never "?", which the speech reads as a question.
// The HTTP download library is loaded only to look the server up on the web, and the sound
// library only to play: a reading from a named server into a file starts without either
// (the dynamic loader's own account of what it loads).
TEST_F(NarreloSayTest, AReadingFromANamedServerNeverLoadsTheDownloadLibrary) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({"Bir."}));
    server.AddReply(OneAudio("Bir.", "", ogg));
    const std::string trace = home.Folder() + "/loaded";
    TStrings environment = Environment();
    environment.insert(environment.end(), {"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + trace});
    TChildProcess child(NARRELO_SAY_EXE, {"--server", server.Endpoint(), "--wav", Wav(), "Bir."}, "",
                        environment);
    const TChildResult run = child.Wait();
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::string loaded;
    for (const auto &entry : std::filesystem::directory_iterator(home.Folder()))
        if (entry.path().filename().string().rfind("loaded", 0) == 0)
            loaded += TChildProcess::Read(entry.path().string());
    ASSERT_NE(loaded.find("libvorbis"), std::string::npos) << "no account of the loaded libraries";
    EXPECT_EQ(loaded.find("libcurl"), std::string::npos);
    EXPECT_EQ(loaded.find("libSDL2"), std::string::npos);
}

TEST_F(NarreloSayTest, TextFromStandardInputIsReadAsWindows1254WithAWarning) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({}));
    const TChildResult run = Say({"--server", server.Endpoint(), "--wav", Wav()},
                                 "\xEF\xBB\xBF\xC3\x87" "ay \xE2\x9C\x93 \xE2\x98\x95 \xD0\xB4\xD0\xB0 \xE2\x82\xBA" "5.\n");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("warning: 2 characters without a Windows-1254 form left out"),
              std::string::npos) << run.Err;
    const TStrings parse = Requests("ParseSentences");
    ASSERT_EQ(parse.size(), 1u);
    // gSOAP sends bytes 80-FF as UTF-8: Ç is C7, sent as C3 87.
    EXPECT_NE(parse[0].find("<AText>\xC3\x87" "ay      TL5.&#xA;</AText>"), std::string::npos) << parse[0];
}

// Text in the encodings people have reaches the service as the same words: UTF-16 by its
// byte order mark (either order, a letter beyond U+FFFF as a surrogate pair, left out), text
// that is not UTF-8 as Windows-1254 with one warning, and soft hyphens dropped.
TEST_F(NarreloSayTest, TextInOtherEncodingsIsReadAsTheSameWords) {
    const auto utf16 = [](const std::u16string &text, bool little) {
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (const char16_t unit : text) {
            const char low = char(unit & 0xFF), high = char(unit >> 8);
            bytes += little ? std::string{low, high} : std::string{high, low};
        }
        return bytes;
    };
    struct TCase {
        const char *label;
        std::string input;
        bool windows1254;  // the warning is given
    };
    const std::u16string words = u"\u00C7ay g\u00FCzel, \U0001F600 \u015Feker.\n";
    for (const TCase &c : {
             TCase{"UTF-16 little-endian", utf16(words, true), false},
             TCase{"UTF-16 big-endian", utf16(words, false), false},
             TCase{"Windows-1254", "\xC7" "ay g\xFC" "zel, \xFE" "eker.\n", true},
             TCase{"soft hyphens", "\xC3\x87" "ay g\xC3\xBC\xC2\xAD" "zel, \xC5\x9F" "e\xC2\xAD" "ker.\n", false},
         }) {
        SCOPED_TRACE(c.label);
        TSoapTestServer local;
        local.AddReply(LoginReply("c1", "s1"));
        local.AddReply(SentencesReply({}));
        const TChildResult run = Say({"--server", local.Endpoint(), "--wav", Wav()}, c.input);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err.find("read as Windows-1254") != std::string::npos, c.windows1254) << run.Err;
        TStrings parse;
        for (const std::string &request : local.Requests())
            if (Operations({request})[0] == "ParseSentences") parse.push_back(RequestElement(request));
        ASSERT_EQ(parse.size(), 1u);
        const std::string text = parse[0].substr(parse[0].find("<AText>") + 7);
        // Bytes 80-FF go as the characters U+0080..U+00FF: Windows-1254's ş (FE) as C3 BE. The
        // emoji is dropped as a blank.
        const std::string blank = c.input.size() > 40 ? " " : "";
        EXPECT_EQ(text.substr(0, text.find("</AText>")),
                  "\xC3\x87" "ay g\xC3\xBC" "zel, " + blank + "\xC3\xBE" "eker.&#xA;")
            << parse[0];
    }
}

// A NUL in the text is a blank: the text after it is read, never dropped.
TEST_F(NarreloSayTest, ANulByteDropsNoText) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({}));
    const TChildResult run =
        Say({"--server", server.Endpoint(), "--wav", Wav()}, std::string("\0Bir\0iki.", 9));
    EXPECT_EQ(run.Status, 0) << run.Err;
    const TStrings parse = Requests("ParseSentences");
    ASSERT_EQ(parse.size(), 1u);
    EXPECT_NE(parse[0].find("<AText> Bir iki.</AText>"), std::string::npos) << parse[0];
}

TEST_F(NarreloSayTest, FailureMidReadingGivesTheMessageExitOneAndTheSoundBefore) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({"Bir.", "Iki.", "Uc."}));
    server.AddReply(OneAudio("Bir.", "", ogg));
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "yok")), 500);
    const TChildResult run = Say({"--server", server.Endpoint(), "--wav", Wav(), "Bir. Iki. Uc."});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("WebServis \xC3\xA7" "a\xC4\x9F" "r\xC4\xB1s\xC4\xB1nda hata olu\xC5\x9Ftu\r\n\r\nyok"),
              std::string::npos) << run.Err;
    const TWavPcm wav = ReadWavPcm(Wav());
    ASSERT_TRUE(wav.Valid);
    EXPECT_TRUE(wav.Data == Pipeline(ogg, 10));
}

// Ctrl-C and SIGTERM stop the same way: at once, even during a service call, with the WAVE
// file closed properly around the whole sentences written before; only the status differs.
TEST_F(NarreloSayTest, CtrlCStopsAtOnceEvenDuringAServiceCall) {
    const struct {
        const char *label;
        int signal;
        int status;
    } cases[] = {
        {"Ctrl-C", SIGINT, 130},
        {"SIGTERM", SIGTERM, 143},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TSoapTestServer local;
        local.AddReply(LoginReply("c1", "s1"));
        local.AddReply(SentencesReply({"Bir.", "Iki."}));
        local.AddReply(OneAudio("Bir.", "", ogg));
        local.AddSilence();  // the second sentence is never answered
        TChildProcess child(NARRELO_SAY_EXE, {"--server", local.Endpoint(), "--wav", Wav(), "Bir. Iki."},
                            "", Environment());
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (local.RequestCount() < 4 && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(local.RequestCount(), 4u);
        child.Signal(c.signal);
        const TChildResult run = child.Wait(std::chrono::seconds(20));
        EXPECT_EQ(run.Status, c.status) << run.Err;
        const TWavPcm wav = ReadWavPcm(Wav());
        ASSERT_TRUE(wav.Valid);
        EXPECT_TRUE(wav.Data == Pipeline(ogg, 10));
    }
}

// Started with standard error closed, the first file the program opens would take
// descriptor 2 and receive the progress lines: the WAVE file must hold the sound only.
TEST_F(NarreloSayTest, WithStandardErrorClosedTheWaveFileHoldsOnlyTheSound) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({"Bir."}));
    server.AddReply(OneAudio("Bir.", "", ogg));
    TChildProcess child("/bin/sh",
                        {"-c", "exec \"$0\" \"$@\" 2>&-", NARRELO_SAY_EXE, "--server",
                         server.Endpoint(), "--wav", Wav(), "Bir."},
                        "", Environment());
    const TChildResult run = child.Wait();
    EXPECT_EQ(run.Status, 0) << run.Out;
    const TWavPcm wav = ReadWavPcm(Wav());
    ASSERT_TRUE(wav.Valid);
    EXPECT_TRUE(wav.Data == Pipeline(ogg, 10));
}

// The progress lines and the service's messages carry the text's control characters and
// escape sequences as blanks: nothing the text or the service holds can drive the terminal.
TEST_F(NarreloSayTest, ControlCharactersOfTheTextNeverReachTheTerminal) {
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({"Bir\x1B[2J\x07.", "Iki\x81\x1B]0;x\x07.", "Uc."}));
    server.AddReply(OneAudio("Bir.", "", ogg));
    server.AddReply(OneAudio("Iki.", "", ogg));
    server.AddReply(SoapEnvelope(SoapFault("SOAP-ENV:Server", "yok\x1B[31m")), 500);
    const TChildResult run = Say({"--server", server.Endpoint(), "--wav", Wav(), "Bir. Iki. Uc."});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("[1/3] Bir [2J ."), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("yok [31m"), std::string::npos) << run.Err;
    for (size_t i = 0; i < run.Err.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(run.Err[i]);
        EXPECT_FALSE(c < 0x20 && c != '\n' && c != '\r') << "control byte " << int(c) << " at " << i;
        if (c == 0xC2 && i + 1 < run.Err.size())
            EXPECT_FALSE(static_cast<unsigned char>(run.Err[i + 1]) < 0xA0) << "C1 control at " << i;
    }
}

// --wav - writes the WAVE to standard output: into a pipe with a stream's header (sizes
// 0xFFFFFFFF, what players of a pipe read to the end), into a file with the real sizes.
TEST_F(NarreloSayTest, WavDashWritesToStandardOutput) {
    const std::string expected = Pipeline(ogg, 10);
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "into a pipe" : "into a file");
        TSoapTestServer local;
        local.AddReply(LoginReply("c1", "s1"));
        local.AddReply(SentencesReply({"Bir."}));
        local.AddReply(OneAudio("Bir.", "", ogg));
        const std::string script = pipe ? "\"$0\" \"$@\" | cat > \"$OUT\"" : "exec \"$0\" \"$@\" > \"$OUT\"";
        TStrings environment = Environment();
        environment.push_back("OUT=" + Wav());
        TChildProcess child("/bin/sh",
                            {"-c", script, NARRELO_SAY_EXE, "--server", local.Endpoint(), "--wav", "-", "Bir."},
                            "", environment);
        const TChildResult run = child.Wait();
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::string file = TChildProcess::Read(Wav());
        // A file that can seek has the room for RF64 sizes (a JUNK chunk) before its format.
        const size_t header = pipe ? 44 : 80;
        ASSERT_EQ(file.size(), header + expected.size());
        EXPECT_EQ(file.compare(0, 4, "RIFF"), 0);
        EXPECT_EQ(file.compare(header - 8, 4, "data"), 0);
        const auto at = [&](size_t i) { return uint32_t(uint8_t(file[i])); };
        const uint32_t dataSize = at(header - 4) | at(header - 3) << 8 | at(header - 2) << 16 | at(header - 1) << 24;
        EXPECT_EQ(dataSize, pipe ? 0xFFFFFFFFu : uint32_t(expected.size()));
        EXPECT_TRUE(file.compare(header, std::string::npos, expected) == 0);
    }
}

// --ogg writes the same sound as Ogg Vorbis: decoded back it has the length of the PCM a
// --wav reading gives (the speed change applied), and it is far smaller.
TEST_F(NarreloSayTest, OggFileDecodesBackToTheSameLength) {
    for (const int speed : {10, 4}) {
        SCOPED_TRACE(speed);
        TSoapTestServer local;
        local.AddReply(LoginReply("c1", "s1"));
        local.AddReply(SentencesReply({"Bir.", "Iki."}));
        local.AddReply(OneAudio("Bir.", "", ogg));
        local.AddReply(OneAudio("Iki.", "", ogg));
        const std::string out = home.Folder() + "/out.ogg";
        const TChildResult run = Say({"--server", local.Endpoint(), "--speed", std::to_string(speed),
                                      "--ogg", out, "Bir. Iki."});
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::string file = TChildProcess::Read(out);
        TMemoryStream pcm;
        DecodeOggVorbis(reinterpret_cast<const uint8_t *>(file.data()), int32_t(file.size()), pcm);
        const size_t expected = 2 * Pipeline(ogg, speed).size();
        EXPECT_EQ(size_t(pcm.DataSize()), expected);
        EXPECT_LT(file.size(), expected / 4);
    }
}

// A text past the service's limit for one text is read in parts of at most 60,000 bytes cut
// after paragraphs, one after the other: the parts put together give the whole text, and
// the WAVE file holds the readings of all parts in order. From a file (1 MB) and streamed
// through standard input (200 KB) alike.
TEST_F(NarreloSayTest, ALongTextIsReadInPartsCutAfterParagraphs) {
    for (const bool fromStandardInput : {false, true}) {
        SCOPED_TRACE(fromStandardInput ? "standard input" : "file");
        const size_t size = fromStandardInput ? 200000 : 1000000;
        std::string text;
        for (int line = 0; text.size() < size; ++line)
            text += "Satir " + std::to_string(line) + " burada biter." + (line % 20 == 19 ? "\n\n" : "\n");
        const size_t parts = (text.size() + 59999) / 60000 + 1;  // an upper bound
        TSoapTestServer local;
        local.AddReply(LoginReply("c1", "s1"));
        for (size_t i = 0; i < parts; ++i) {
            const std::string sentence = "P" + std::to_string(i) + ".";
            local.AddReply(SentencesReply({sentence}));
            local.AddReply(OneAudio(sentence.c_str(), "", ogg));
        }
        const std::string file = home.Folder() + "/long.txt";
        std::ofstream(file, std::ios::binary) << text;
        TStrings args{"--server", local.Endpoint(), "--wav", Wav()};
        if (!fromStandardInput) args.insert(args.end(), {"--file", file});
        TChildProcess child(NARRELO_SAY_EXE, args, fromStandardInput ? text : "", Environment());
        const TChildResult run = child.Wait(std::chrono::seconds(60));
        ASSERT_EQ(run.Status, 0) << run.Err;

        std::string joined;
        size_t count = 0;
        for (const std::string &request : local.Requests()) {
            if (Operations({request})[0] != "ParseSentences") continue;
            const std::string element = RequestElement(request);
            const size_t from = element.find("<AText>") + 7, to = element.find("</AText>");
            std::string part = element.substr(from, to - from);
            for (size_t at; (at = part.find("&#xA;")) != std::string::npos;) part.replace(at, 5, "\n");
            EXPECT_LE(part.size(), 60000u);
            if (joined.size() + part.size() < text.size()) EXPECT_EQ(part.substr(part.size() - 2), "\n\n");
            joined += part;
            ++count;
        }
        EXPECT_TRUE(joined == text);
        EXPECT_GE(count, text.size() / 60000 + 1);
        std::string expected;
        for (size_t i = 0; i < count; ++i) expected += Pipeline(ogg, 10);
        const TWavPcm wav = ReadWavPcm(Wav());
        ASSERT_TRUE(wav.Valid);
        EXPECT_TRUE(wav.Data == expected);
    }
}

// On a terminal a long text read in parts shows one progress line for the whole reading: the
// sentences counted on over the parts, the share of the text done up to 100 %, the time
// left, and no line of its own for any part.
TEST_F(NarreloSayTest, OneProgressLineForTheWholeReading) {
    std::string text;
    for (int line = 0; text.size() < 200000; ++line)
        text += "Satir " + std::to_string(line) + " burada biter." + (line % 20 == 19 ? "\n\n" : "\n");
    const size_t parts = (text.size() + 59999) / 60000 + 1;  // an upper bound
    TSoapTestServer local;
    local.AddReply(LoginReply("c1", "s1"));
    for (size_t i = 0; i < parts; ++i) {
        const std::string sentence = "P" + std::to_string(i) + ".";
        local.AddReply(SentencesReply({sentence}));
        local.AddReply(OneAudio(sentence.c_str(), "", ogg));
    }
    const std::string file = home.Folder() + "/long.txt";
    std::ofstream(file, std::ios::binary) << text;
    const std::string endpoint = local.Endpoint();
    const std::string wav = Wav();
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("XDG_CONFIG_HOME", home.Folder().c_str(), 1);
        execl(NARRELO_SAY_EXE, NARRELO_SAY_EXE, "--server", endpoint.c_str(), "--wav", wav.c_str(), "--file",
              file.c_str(), nullptr);
        _exit(127);
    }
    std::string screen;
    int status = -1;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        char buffer[4096];
        for (ssize_t n; poll(&ready, 1, 10) > 0 && (n = read(terminal, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, size_t(n));
        if (waitpid(child, &status, WNOHANG) == child) break;
        if (std::chrono::steady_clock::now() > limit) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
    }
    close(terminal);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    // The terminal turns each line feed into a carriage return and a line feed.
    EXPECT_EQ(std::count(screen.begin(), screen.end(), '\n'), 1) << screen;
    EXPECT_TRUE(screen.ends_with("\r\n")) << screen;
    EXPECT_NE(screen.find("sentence " + std::to_string(text.size() / 60000 + 1)), std::string::npos) << screen;
    EXPECT_NE(screen.find("100%"), std::string::npos) << screen;
    EXPECT_NE(screen.find(" left"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("Clipping"), std::string::npos) << screen;
}

// An input past 64 MiB is refused with a clear message, also an endless one, never taken
// into memory whole.
TEST_F(NarreloSayTest, AnEndlessInputIsRefusedPastItsBound) {
    const TChildResult run = Say({"--server", server.Endpoint(), "--wav", Wav(), "--file", "/dev/zero"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("longer than 64 MiB"), std::string::npos) << run.Err;
    EXPECT_EQ(server.RequestCount(), 0u);
}

// The runtime's own words for two failures mislead; the message names the real cause.
TEST_F(NarreloSayTest, MessagesNameTheRealCause) {
    {
        SCOPED_TRACE("an answer that is not SOAP");
        TSoapTestServer local;
        local.AddReply("<html><body>Merhaba</body></html>");
        const TChildResult run = Say({"--server", local.Endpoint(), "--wav", Wav(), "Bir."});
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find("The answer is not a SOAP message (HTTP 200)"), std::string::npos) << run.Err;
    }
    {
        SCOPED_TRACE("an address too long");
        const TChildResult run =
            Say({"--server", server.Endpoint() + "/" + std::string(3000, 'a'), "--wav", Wav(), "Bir."});
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find("The service address is too long"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Err.find("Out of memory"), std::string::npos) << run.Err;
    }
}

TEST_F(NarreloSayTest, WithoutASoundDeviceTheReadingFailsBeforeTheServiceIsAsked) {
    TChildProcess child(NARRELO_SAY_EXE, {"--server", server.Endpoint(), "Bir."}, "",
                        {"XDG_CONFIG_HOME=" + home.Folder(), "SDL_AUDIODRIVER=narrelo-no-such-driver"});
    const TChildResult run = child.Wait();
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("There is No Sound Device\n"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--wav FILE"), std::string::npos) << run.Err;
    EXPECT_EQ(server.RequestCount(), 0u);
}

// On a terminal the reading stops after 50 new words until Enter; SDL's disk driver stands
// in for the sound card, without its real-time delay.
TEST_F(NarreloSayTest, OnATerminalTheReadingWaitsForEnterAfterFiftyNewWords) {
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += " kelime";
    TDemoAudios first;
    TDemoAudio *audio = first.CreateItem();
    first.Add(audio);
    audio->Text = "Bir.";
    audio->SpokenText = fifty.c_str();
    audio->FileId = "f1";
    server.AddReply(LoginReply("c1", "s1"));
    server.AddReply(SentencesReply({"Bir.", "Iki."}));
    server.AddReply(AudiosReply(first));
    server.AddReply(ReturnReply("GetSynthesisedFile", Base64({ogg.begin(), ogg.end()})));
    server.AddReply(OneAudio("Iki.", "", ogg));

    const std::string endpoint = server.Endpoint();
    const std::string played = home.Folder() + "/played.raw";
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("XDG_CONFIG_HOME", home.Folder().c_str(), 1);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        execl(NARRELO_SAY_EXE, NARRELO_SAY_EXE, "--server", endpoint.c_str(), "Bir. Iki.", nullptr);
        _exit(127);
    }
    std::string screen;
    const auto readUntil = [&](const std::string &text) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (screen.find(text) == std::string::npos && std::chrono::steady_clock::now() < limit) {
            pollfd ready{terminal, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) continue;
            char buffer[4096];
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n <= 0) break;
            screen.append(buffer, size_t(n));
        }
        return screen.find(text) != std::string::npos;
    };
    EXPECT_TRUE(readUntil("50 new words: press Enter to go on")) << screen;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(Operations(server.Requests()),
              (TStrings{"Login", "ParseSentences", "Synthesise", "GetSynthesisedFile"}));

    EXPECT_EQ(write(terminal, "\n", 1), 1);
    readUntil("sentence 2");
    int status = -1;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (waitpid(child, &status, WNOHANG) != child) {
        // Keep the terminal read, so that the program never blocks writing to it.
        pollfd ready{terminal, POLLIN, 0};
        char buffer[4096];
        for (ssize_t n; poll(&ready, 1, 0) > 0 && (n = read(terminal, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, size_t(n));
        if (std::chrono::steady_clock::now() > limit) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    EXPECT_EQ(Operations(server.Requests()).size(), 5u);
}

struct TUsageCase {
    const char *label;
    TStrings args;
    std::string input;
    const char *message;
};

TEST_F(NarreloSayTest, WrongUsageExitsTwoWithTheReason) {
    const TUsageCase cases[] = {
        {"speed out of range", {"--speed", "21", "x"}, "", "--speed wants a whole number from 0 to 20"},
        {"speed not a number", {"--speed=fast", "x"}, "", "--speed wants a whole number from 0 to 20"},
        {"unknown style", {"--style", "hizli", "x"}, "", "--style is belirgin or akici"},
        {"unknown option", {"--loud", "x"}, "", "unknown option --loud"},
        {"missing value", {"x", "--wav"}, "", "--wav wants a value"},
        {"text and file", {"--file", "f.txt", "x"}, "", "give the text or --file, not both"},
        {"flag with a value", {"--xml=1", "x"}, "", "--xml takes no value"},
        {"only blanks", {}, " \n\t\n", "no text to read"},
    };
    for (const TUsageCase &c : cases) {
        SCOPED_TRACE(c.label);
        const TChildResult run = Say(c.args, c.input);
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Err.rfind(std::string("narrelo-say: ") + c.message, 0), 0u) << run.Err;
    }
    EXPECT_EQ(server.RequestCount(), 0u);

    const TChildResult version = Say({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "narrelo-say " NARRELO_VERSION "\n");
    const TChildResult help = Say({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: narrelo-say [options] [TEXT...]\n", 0), 0u);
}

}  // namespace
