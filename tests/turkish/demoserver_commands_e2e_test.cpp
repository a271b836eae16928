// SPDX-License-Identifier: GPL-3.0-or-later
// `narrelo-demoserver split` and `narrelo-demoserver normalise` as a user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct TRun {
    int Status;
    std::string Out;
};

// Runs the server binary with `args`, `input` on its standard input.
TRun RunServer(const std::string &args, const std::string &input) {
    const char *tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/narrelo-turkish-XXXXXX";
    int fd = mkstemp(path.data());
    EXPECT_GE(fd, 0);
    if (fd < 0) return {-1, {}};
    close(fd);
    std::ofstream(path, std::ios::binary) << input;
    const std::string command =
        std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver " + args + " < " + path + " 2>/dev/null";
    TRun run{-1, {}};
    if (FILE *p = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.Out.append(buf, n);
        int status = pclose(p);
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::remove(path.c_str());
    return run;
}

TEST(DemoServerCommands, SplitPrintsEachSentenceAsAJsonString) {
    TRun run = RunServer("split", "Prof. Dr. Ayşe \"Kaya\" 3. sınıfa geldi. Sonra gitti…\n\nSon\n");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "\"Prof. Dr. Ayşe \\\"Kaya\\\" 3. sınıfa geldi.\"\n\"Sonra gitti…\"\n\"Son\"\n");
}

TEST(DemoServerCommands, NormalisePrintsTheReading) {
    const struct {
        const char *args, *input, *output;
    } cases[] = {
        {"normalise", "2024'te 4'ü ₺25'e aldı.\n", "iki bin yirmi dörtte dördü yirmi beş türk lirasına aldı.\n"},
        {"normalise --kind 4", "34 ABC 012", "otuz dört a be ce sıfır on iki\n"},
        {"normalise --kind 5", "0 (312) 405 06 07\n", "sıfır üç yüz on iki dört yüz beş sıfır altı sıfır yedi\n"},
    };
    for (const auto &c : cases) {
        TRun run = RunServer(c.args, c.input);
        EXPECT_EQ(run.Status, 0) << c.args;
        EXPECT_EQ(run.Out, c.output) << c.args;
    }
    EXPECT_EQ(RunServer("normalise --kind 9", "x").Status, 2);
}

}  // namespace
