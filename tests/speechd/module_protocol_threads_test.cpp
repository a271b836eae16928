// SPDX-License-Identifier: GPL-3.0-or-later
// sd_narrelo driven over pipes as speech-dispatcher drives it: every command and its reply
// code, the events of a message in order (BEGIN before the first audio, marks in order when
// their audio is reached, exactly one of END, STOP or PAUSE last), the audio events' framing
// and escaping, STOP and PAUSE in mid-speech, and input that must be refused or survived.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "tests/speechd/support/module_pipe.h"
#include "tests/support/child_process.h"

namespace {

const std::string Module = NARRELO_BINARY_DIR "/speechd/sd_narrelo";

// A configuration file that turns the reading log on.
std::string LoggingConfig() {
    const std::string path = std::filesystem::temp_directory_path() / "narrelo-module-test.conf";
    std::ofstream(path) << "# the module's own settings\nNarreloLogReading 1\n";
    return path;
}

std::string Reply(TModulePipe &module) { return module.Line().value_or("<no reply>"); }

// Sends a message command with its body and returns the events up to the last one (END,
// STOP or PAUSE), after checking the two replies.
std::vector<TModuleItem> SpeakAll(TModulePipe &module, const std::string &command,
                                  const std::string &body) {
    module.Send(command + "\n");
    EXPECT_EQ(Reply(module), "202 OK RECEIVING MESSAGE");
    module.Send(body + "\n.\n");
    EXPECT_EQ(Reply(module), "200 OK SPEAKING");
    std::vector<TModuleItem> items;
    for (int i = 0; i < 100000; ++i) {
        std::optional<TModuleItem> item = module.Item();
        if (!item) break;
        items.push_back(*item);
        if (item->Line == "702 END" || item->Line == "703 STOP" || item->Line == "704 PAUSE") break;
    }
    return items;
}

// The events' lines without the audio, one "705" for each run of audio events.
std::vector<std::string> Shape(const std::vector<TModuleItem> &items) {
    std::vector<std::string> shape;
    for (const TModuleItem &item : items) {
        const std::string line = item.Line == "705 AUDIO" ? "705" : item.Line;
        if (line == "700 INDEX MARK") continue;
        if (line == "705" && !shape.empty() && shape.back() == "705") continue;
        shape.push_back(line);
    }
    return shape;
}

size_t AudioSamples(const std::vector<TModuleItem> &items) {
    size_t samples = 0;
    for (const TModuleItem &item : items) samples += item.Samples.size();
    return samples;
}

void Init(TModulePipe &module) {
    module.Send("INIT\n");
    EXPECT_EQ(module.Line().value_or("").substr(0, 4), "299-");
    EXPECT_EQ(Reply(module), "299 OK LOADED SUCCESSFULLY");
    module.Send("AUDIO\naudio_output_method=server\n.\n");
    EXPECT_EQ(Reply(module), "207 OK RECEIVING AUDIO SETTINGS");
    EXPECT_EQ(Reply(module), "203 OK AUDIO INITIALIZED");
}

TEST(ModuleProtocolTest, EveryCommandHasItsReplyAndBadInputA3xx) {
    struct TCase {
        std::string Input;
        std::vector<std::string> Replies;
    } cases[] = {
        {"SET\nrate=20\npitch=-10\npitch_range=50\nvolume=0\npunctuation_mode=some\n"
         "spelling_mode=off\ncap_let_recogn=spell\nvoice_type=MALE2\nsynthesis_voice=NULL\n"
         "language=tr\npunctuation_some=NULL\n.\n",
         {"203 OK RECEIVING SETTINGS", "203 OK SETTINGS RECEIVED"}},
        {"SET\nrate=fast\n.\n", {"203 OK RECEIVING SETTINGS", "303 ERROR INVALID PARAMETER"}},
        {"SET\npitch=101\n.\n", {"203 OK RECEIVING SETTINGS", "303 ERROR INVALID PARAMETER"}},
        {"SET\npunctuation_mode=loud\n.\n",
         {"203 OK RECEIVING SETTINGS", "303 ERROR INVALID PARAMETER"}},
        {"SET\nno equals sign\n.\n", {"203 OK RECEIVING SETTINGS", "303 ERROR INVALID PARAMETER"}},
        {"SET\ncap_let_recogn=wave\n.\n",
         {"203 OK RECEIVING SETTINGS", "303 ERROR INVALID PARAMETER"}},
        {"LOGLEVEL\nlog_level=5\n.\n",
         {"207 OK RECEIVING LOGLEVEL SETTINGS", "203 OK LOGLEVEL SET"}},
        {"SING\n", {"300 ERROR UNKNOWN COMMAND"}},
        {"\n", {"300 ERROR UNKNOWN COMMAND"}},
        {std::string(100000, 'X') + "\n", {"300 ERROR UNKNOWN COMMAND"}},
    };
    TModulePipe module(Module);
    Init(module);
    for (const TCase &c : cases) {
        module.Send(c.Input);
        for (const std::string &expected : c.Replies)
            EXPECT_EQ(Reply(module), expected) << c.Input.substr(0, 60);
    }
    // Still alive and answering after all of it.
    module.Send("LIST VOICES\n");
    std::vector<std::string> voices;
    for (std::string line = Reply(module); line.rfind("200-", 0) == 0; line = Reply(module))
        voices.push_back(line.substr(4));
    ASSERT_GE(voices.size(), 3u);
    EXPECT_EQ(voices[0], "Akıcı Okuma\ttr\tnone");
    EXPECT_EQ(voices[1], "Belirgin Okuma\ttr\tnone");
    EXPECT_TRUE(std::any_of(voices.begin(), voices.end(), [](const std::string &v) {
        return v.find("\ten") != std::string::npos;
    }));
    module.Send("QUIT\n");
    EXPECT_EQ(Reply(module), "210 OK QUIT");
    EXPECT_EQ(module.Wait(), 0);
}

TEST(ModuleProtocolTest, MarksComeInOrderBetweenBeginAndEndWithTheirAudio) {
    TModulePipe module(Module);
    Init(module);
    const std::vector<TModuleItem> items = SpeakAll(
        module, "SPEAK",
        "<speak><mark name=\"__spd_0\"/>Bugün hava çok güzel.<mark name=\"__spd_1\"/> Yarın "
        "yağmur yağacak, <mark name=\"__spd_2\"/>şemsiyeni al.<mark name=\"__spd_3\"/></speak>");
    std::vector<std::string> marks;
    for (const TModuleItem &item : items)
        if (item.Line.rfind("700-", 0) == 0) marks.push_back(item.Line.substr(4));
    EXPECT_EQ(marks, (std::vector<std::string>{"__spd_0", "__spd_1", "__spd_2", "__spd_3"}));
    const std::vector<std::string> shape = Shape(items);
    ASSERT_FALSE(shape.empty());
    EXPECT_EQ(shape.front(), "701 BEGIN");
    EXPECT_EQ(shape.back(), "702 END");
    // Audio between the marks: each mark after the first is reached after some sound.
    size_t audioBefore = 0;
    std::vector<size_t> reachedAt;
    for (const TModuleItem &item : items) {
        audioBefore += item.Samples.size();
        if (item.Line.rfind("700-", 0) == 0) reachedAt.push_back(audioBefore);
    }
    ASSERT_EQ(reachedAt.size(), 4u);
    EXPECT_LT(reachedAt[0], reachedAt[1]);
    EXPECT_LT(reachedAt[1], reachedAt[2]);
    EXPECT_LT(reachedAt[2], reachedAt[3]);
    EXPECT_EQ(reachedAt[3], AudioSamples(items));  // the last mark after all the sound
    for (const TModuleItem &item : items) {
        if (item.Line == "705 AUDIO") {
            EXPECT_EQ(item.DeclaredSamples, long(item.Samples.size()));
        }
    }
    // Two seconds of speech and more, and bytes that needed escaping among them.
    EXPECT_GT(AudioSamples(items), size_t(22050 * 2));
    EXPECT_GT(module.Escapes, 0u);
}

TEST(ModuleProtocolTest, TheReadingIsTheServicesReadingAcrossMarksAndDotLines) {
    // Each message as SSML (marks where a screen reader may put them: inside a number, a
    // date, a time) and the same text plain, as narrelo-demoserver normalise reads it.
    const std::pair<std::string, std::string> cases[] = {
        {"<speak>Toplam 12<mark name=\"m\"/>50 TL, 3 Mart 20<mark name=\"n\"/>24.</speak>",
         "Toplam 1250 TL, 3 Mart 2024."},
        {"Birinci satır\n..\nİkinci satır 5 kg", "Birinci satır\n.\nİkinci satır 5 kg"},
        {"<speak>Dr. Ali saat 14:<mark name=\"a\"/>05'te TBMM'ye gitti; %25 indirim &amp; "
         "1.250,50 ₺ ödedi.</speak>",
         "Dr. Ali saat 14:05'te TBMM'ye gitti; %25 indirim & 1.250,50 ₺ ödedi."},
        {"<speak>XIV. Louis <mark name=\"b\"/>1643-1715 yılları arasında hüküm sürdü.</speak>",
         "XIV. Louis 1643-1715 yılları arasında hüküm sürdü."},
    };
    TModulePipe module(Module, {LoggingConfig()});
    Init(module);
    for (const auto &[message, text] : cases) SpeakAll(module, "SPEAK", message);
    module.Send("QUIT\n");
    Reply(module);
    module.Wait();
    const std::string log = module.Log();
    for (const auto &[message, text] : cases) {
        TChildProcess normalise(NARRELO_BINARY_DIR "/server/narrelo-demoserver",
                                {"normalise", "--kind", "0"}, text);
        const TChildResult service = normalise.Wait(std::chrono::seconds(30));
        ASSERT_EQ(service.Status, 0) << service.Err;
        EXPECT_NE(log.find("sd_narrelo: reading: " + service.Out), std::string::npos)
            << "expected the service's reading '" << service.Out << "' in:\n"
            << log;
    }
}

TEST(ModuleProtocolTest, StopEndsTheSpeechAtOnceAndTheNextMessageIsSpoken) {
    TModulePipe module(Module);
    Init(module);
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "Bu uzun bir cümledir ve okunması zaman alır. ";
    module.Send("SPEAK\n");
    EXPECT_EQ(Reply(module), "202 OK RECEIVING MESSAGE");
    module.Send(longText + "\n.\n");
    EXPECT_EQ(Reply(module), "200 OK SPEAKING");
    std::vector<TModuleItem> items;
    while (std::optional<TModuleItem> item = module.Item()) {
        items.push_back(*item);
        if (item->Line == "705 AUDIO") break;
    }
    // A second SPEAK while this one speaks is refused, its body read all the same.
    module.Send("SPEAK\n");
    std::optional<TModuleItem> reply;
    while ((reply = module.Item()) && reply->Line == "705 AUDIO") {
    }
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Line, "202 OK RECEIVING MESSAGE");
    module.Send("ikinci\n.\n");
    while ((reply = module.Item()) && reply->Line == "705 AUDIO") {
    }
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Line, "301 ERROR ALREADY SPEAKING");
    module.Send("STOP\n");
    while (std::optional<TModuleItem> item = module.Item()) {
        items.push_back(*item);
        if (item->Line == "703 STOP") break;
    }
    EXPECT_EQ(Shape(items), (std::vector<std::string>{"701 BEGIN", "705", "703 STOP"}));
    // Nothing more of the stopped message.
    EXPECT_FALSE(module.Item(std::chrono::milliseconds(500)));
    const std::vector<std::string> next = Shape(SpeakAll(module, "SPEAK", "Yeni bir cümle."));
    EXPECT_EQ(next, (std::vector<std::string>{"701 BEGIN", "705", "702 END"}));
    // STOP with nothing speaking is no error and writes nothing.
    module.Send("STOP\n");
    EXPECT_FALSE(module.Item(std::chrono::milliseconds(300)));
}

TEST(ModuleProtocolTest, PauseStopsAtTheNextMark) {
    TModulePipe module(Module);
    Init(module);
    std::string text = "<speak>";
    for (int i = 0; i < 30; ++i)
        text += "Cümle numarası " + std::to_string(i) + " okunuyor.<mark name=\"__spd_" +
                std::to_string(i) + "\"/> ";
    text += "</speak>";
    module.Send("SPEAK\n");
    Reply(module);
    module.Send(text + "\n.\n");
    EXPECT_EQ(Reply(module), "200 OK SPEAKING");
    std::vector<TModuleItem> items;
    while (std::optional<TModuleItem> item = module.Item()) {
        items.push_back(*item);
        if (item->Line == "705 AUDIO") break;
    }
    module.Send("PAUSE\n");
    while (std::optional<TModuleItem> item = module.Item()) {
        items.push_back(*item);
        if (item->Line == "702 END" || item->Line == "703 STOP" || item->Line == "704 PAUSE") break;
    }
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items.back().Line, "704 PAUSE");
    EXPECT_EQ(items[items.size() - 2].Line, "700 INDEX MARK");
    EXPECT_EQ(items[items.size() - 3].Line.substr(0, 10), "700-__spd_");
    EXPECT_NE(items[items.size() - 3].Line, "700-__spd_29");  // well before the end
    EXPECT_FALSE(module.Item(std::chrono::milliseconds(500)));
}

TEST(ModuleProtocolTest, CharactersKeysAndIconsAreSpokenAsMessages) {
    const char *cases[][2] = {
        {"CHAR", "ç"},
        {"CHAR", "Ğ"},
        {"CHAR", "7"},
        {"CHAR", ","},
        {"CHAR", "space"},
        {"KEY", "control_alt_delete"},
        {"KEY", "shift_kp-enter"},
        {"KEY", "f12"},
        {"KEY", "_"},
        {"SOUND_ICON", "message"},
    };
    TModulePipe module(Module, {LoggingConfig()});
    Init(module);
    module.Send("SET\ncap_let_recogn=spell\n.\n");
    Reply(module);
    Reply(module);
    for (const auto &c : cases) {
        const std::vector<TModuleItem> items = SpeakAll(module, c[0], c[1]);
        EXPECT_EQ(Shape(items), (std::vector<std::string>{"701 BEGIN", "705", "702 END"}))
            << c[0] << " " << c[1];
        EXPECT_GT(AudioSamples(items), 22050u / 50) << c[0] << " " << c[1];
    }
    module.Send("QUIT\n");
    Reply(module);
    module.Wait();
    // What was said: names in Turkish, a capital as such, a name sent for a character.
    const std::string log = module.Log();
    for (const char *reading : {"çe", "büyük ğe", "yedi", "virgül", "boşluk", "kontrol alt sil",
                                "üst karakter tuş takımı giriş", "ef on iki", "alt çizgi"})
        EXPECT_NE(log.find(std::string("sd_narrelo: reading: ") + reading + "\n"),
                  std::string::npos)
            << reading << " in:\n"
            << log;
}

TEST(ModuleProtocolTest, MalformedSsmlIsReadAsPlainText) {
    TModulePipe module(Module, {LoggingConfig()});
    Init(module);
    const std::vector<TModuleItem> items =
        SpeakAll(module, "SPEAK", "<speak>Merhaba <b>dünya</speak>");
    EXPECT_EQ(Shape(items), (std::vector<std::string>{"701 BEGIN", "705", "702 END"}));
    module.Send("QUIT\n");
    Reply(module);
    module.Wait();
    EXPECT_NE(module.Log().find("sd_narrelo: reading: merhaba dünya"), std::string::npos)
        << module.Log();
}

TEST(ModuleProtocolTest, AMegabyteMessageIsSpokenWithBoundedMemoryAndEndOfInputEndsTheModule) {
    TModulePipe module(Module);
    Init(module);
    std::string huge;
    while (huge.size() < 1024 * 1024)
        huge +=
            "Kitabın " + std::to_string(huge.size() % 977) + ". sayfasında yazanlar okunuyor.\n";
    module.Send("SPEAK\n");
    Reply(module);
    module.Send(huge + ".\n");
    EXPECT_EQ(Reply(module), "200 OK SPEAKING");
    std::optional<TModuleItem> item;
    while ((item = module.Item(std::chrono::seconds(60))) && item->Line != "705 AUDIO") {
    }
    ASSERT_TRUE(item) << "no audio for a megabyte of text";
    // Speaks on for a while, reading the output as speech-dispatcher would.
    for (int i = 0; i < 200 && module.Item(std::chrono::seconds(5)); ++i) {
    }
    std::ifstream status("/proc/" + std::to_string(module.Pid()) + "/status");
    long peakKiB = -1;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) peakKiB = std::stol(line.substr(6));
    EXPECT_GT(peakKiB, 0);
    EXPECT_LT(peakKiB, 200 * 1024) << "the module holds the speech of the whole text";
    module.Send("STOP\n");
    bool stopped = false;
    for (int i = 0; i < 100000 && !stopped; ++i) {
        item = module.Item(std::chrono::seconds(5));
        if (!item) break;
        stopped = item->Line == "703 STOP";
    }
    EXPECT_TRUE(stopped);
    module.CloseInput();
    EXPECT_EQ(module.Wait(std::chrono::seconds(20)), 0);
}

}  // namespace
