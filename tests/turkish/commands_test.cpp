// SPDX-License-Identifier: GPL-3.0-or-later
// The split and normalise commands: UTF-8 in, through Windows-1254, UTF-8 out.
#include "turkish/turkish_commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRun {
    int Status;
    std::string Out, Err;
};

TRun RunCommand(std::vector<const char *> args, const std::string &input) {
    args.insert(args.begin(), "narrelo-demoserver");
    std::istringstream in(input);
    std::ostringstream out, err;
    int status = RunTurkishCommand(int(args.size()), args.data(), in, out, err);
    return {status, out.str(), err.str()};
}

TEST(TurkishCommands, SplitPrintsOneJsonStringPerSentence) {
    TRun r = RunCommand({"split"}, "Dr. Ali \"geldi\".\tSonra\\gitti…\n\nBaşlık\n");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "\"Dr. Ali \\\"geldi\\\".\"\n\"Sonra\\\\gitti…\"\n\"Başlık\"\n");
}

TEST(TurkishCommands, NormaliseReadsOneValueOfAKind) {
    struct Case {
        const char *label;
        std::vector<const char *> args;
        const char *input;
        const char *output;
    } cases[] = {
        {"running text", {"normalise"}, "4'ü 2024'te geldi.\n", "dördü iki bin yirmi dörtte geldi.\n"},
        {"plate", {"normalise", "--kind", "4"}, "06 A 1234", "sıfır altı a bin iki yüz otuz dört\n"},
        {"phone, joined option", {"normalise", "--kind=5"}, "05321234567\n", "sıfır beş yüz otuz iki yüz yirmi üç kırk beş altmış yedi\n"},
        {"lira sign", {"normalise"}, "₺25 ve 12,50 ₺", "yirmi beş türk lirası ve on iki türk lirası elli kuruş\n"},
        {"a symbol without a byte is dropped, never \"?\"", {"normalise"}, "a€b✓", "a avro be\n"},
    };
    for (const Case &c : cases) {
        TRun r = RunCommand(c.args, c.input);
        EXPECT_EQ(r.Status, 0) << c.label;
        EXPECT_EQ(r.Out, c.output) << c.label;
    }
}

TEST(TurkishCommands, BadOptionsAndOtherCommands) {
    for (auto args : std::vector<std::vector<const char *>>{
             {"normalise", "--kind"}, {"normalise", "--kind", "6"}, {"normalise", "--kind", "x"},
             {"normalise", "--speed"}, {"split", "extra"}}) {
        TRun r = RunCommand(args, "x");
        EXPECT_EQ(r.Status, 2) << args.back();
        EXPECT_TRUE(r.Out.empty());
        EXPECT_NE(r.Err.find("usage"), std::string::npos);
    }
    EXPECT_EQ(RunCommand({"--port"}, "").Status, -1);
    EXPECT_EQ(RunCommand({}, "").Status, -1);
}

}  // namespace
