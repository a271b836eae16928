// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-reg run as a real process against a real store in a per-test XDG_CONFIG_HOME.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/registry.h"
#include "foundation/registry_settings.h"
#include "tests/support/temp_config_home.h"

namespace {

struct TRun {
    int Status = -1;  // exit status, or -1 when the program did not exit normally
    std::string Out;
    std::string Err;
};

class NarreloRegTest : public ::testing::Test {
protected:
    // Starts narrelo-reg with `args`, standard input from `input` (then end of input), output
    // into files of its own.
    pid_t Start(const std::vector<std::string> &args, const std::string &input, int id) {
        const std::string base = home_.Folder() + "/run" + std::to_string(id);
        TempConfigHome::WriteFile(base + ".in", input);
        const pid_t child = fork();
        if (child == 0) {
            const int in = open((base + ".in").c_str(), O_RDONLY);
            const int out = open((base + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open((base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char *> argv{const_cast<char *>(NARRELO_REG_EXE)};
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(NARRELO_REG_EXE, argv.data());
            _exit(127);
        }
        return child;
    }
    TRun Wait(pid_t child, int id) {
        const std::string base = home_.Folder() + "/run" + std::to_string(id);
        int status = 0;
        TRun run;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status)) run.Status = WEXITSTATUS(status);
        run.Out = TempConfigHome::ReadFile(base + ".out");
        run.Err = TempConfigHome::ReadFile(base + ".err");
        return run;
    }
    TRun Reg(const std::vector<std::string> &args, const std::string &input = "") {
        return Wait(Start(args, input, 0), 0);
    }
    static std::string FirstLine(const std::string &text) { return text.substr(0, text.find('\n')); }

    TempConfigHome home_;
};

TEST_F(NarreloRegTest, HelpAndVersion) {
    const TRun version = Reg({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "narrelo-reg " NARRELO_VERSION "\n");
    const TRun help = Reg({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(FirstLine(help.Out), "narrelo-reg: looks at and changes Narrelo's per-user settings store.");
    EXPECT_NE(help.Out.find("Usage: narrelo-reg query KEY"), std::string::npos);
    EXPECT_TRUE(help.Err.empty());
}

TEST_F(NarreloRegTest, AddedValuesAreWhatTheProgramReads) {
    TRun run = Reg({"add", "HKCU\\Software\\Valtrosa", "/v", "DemoServer", "/t", "REG_SZ", "/d",
                    "http://127.0.0.1:8080/soap/İ"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "The operation completed successfully.\n");
    EXPECT_EQ(ReadMakerSetting(u"DemoServer").ToUtf8(), "http://127.0.0.1:8080/soap/İ");

    run = Reg({"add", "HKEY_CURRENT_USER\\Software\\Valtrosa\\Narrelo", "/v", "InterfaceIsEnglish", "/t",
               "REG_DWORD", "/d", "1"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadInterfaceIsEnglish(), 1);
}

TEST_F(NarreloRegTest, QueryShowsWhatTheProgramWrote) {
    WriteInterfaceIsEnglish(1);
    {
        TRegistry registry(HKEY_CURRENT_USER, u"Software\\Valtrosa");
        registry.CreateIfMissing = true;
        registry.WriteString(u"DemoServer", "host", 4);
        const uint8_t blob[] = {0x0A, 0xFF, 0x00};
        registry.WriteData(u"Blob", REG_BINARY, blob, 3);
    }
    TRun run = Reg({"query", "hkcu\\software\\valtrosa"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "\nHKEY_CURRENT_USER\\Software\\Valtrosa\n"
              "    Blob    REG_BINARY    0AFF00\n"
              "    DemoServer    REG_SZ    host\n"
              "\n"
              "HKEY_CURRENT_USER\\Software\\Valtrosa\\Narrelo\n");

    run = Reg({"query", "HKCU\\Software\\Valtrosa\\Narrelo", "/v", "interfaceisenglish"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "\nHKEY_CURRENT_USER\\Software\\Valtrosa\\Narrelo\n    InterfaceIsEnglish    REG_DWORD    0x1\n\n");
}

TEST_F(NarreloRegTest, Failures) {
    const std::string notFound = "ERROR: The system was unable to find the specified registry key or value.";
    struct Case {
        const char *label;
        std::vector<std::string> args;
        std::string firstErrorLine;
    } cases[] = {
        {"missing key", {"query", "HKCU\\Software\\Nothing"}, notFound},
        {"other root", {"query", "HKLM\\Software"}, "ERROR: Invalid key name."},
        {"no verb", {"list", "HKCU\\Software"}, "ERROR: Invalid syntax."},
        {"bad number", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", "12x"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"number too large", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", "0x100000000"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"odd hex", {"add", "HKCU\\K", "/v", "n", "/t", "REG_BINARY", "/d", "ABC"},
         "ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'."},
        {"unknown type", {"add", "HKCU\\K", "/v", "n", "/t", "REG_QWORD", "/d", "1"},
         "ERROR: Invalid syntax. Type must be REG_SZ, REG_DWORD or REG_BINARY."},
        {"missing value to delete", {"delete", "HKCU\\K", "/v", "n"}, notFound},
        {"no octal prefix", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", "0o7"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"sign", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", "+1"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"leading blank", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", " 1"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"0x without digits", {"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", "0x"},
         "ERROR: Invalid syntax. Specify valid numeric value for '/d'."},
        {"value name not UTF-8", {"add", "HKCU\\K", "/v", "a\xFF", "/d", "1"},
         "ERROR: Invalid syntax. Arguments must be UTF-8 text."},
        {"key cut inside a character", {"query", "HKCU\\K\xC3"}, "ERROR: Invalid syntax. Arguments must be UTF-8 text."},
        {"data not UTF-8", {"add", "HKCU\\K", "/v", "n", "/d", "\xC0\x80"},
         "ERROR: Invalid syntax. Arguments must be UTF-8 text."},
        {"repeated /d", {"add", "HKCU\\K", "/v", "n", "/d", "1", "/d", "2"}, "ERROR: Invalid syntax."},
        {"repeated /t", {"add", "HKCU\\K", "/v", "n", "/t", "REG_SZ", "/t", "REG_DWORD", "/d", "1"},
         "ERROR: Invalid syntax."},
        {"repeated /v", {"add", "HKCU\\K", "/v", "n", "/v", "m", "/d", "1"}, "ERROR: Invalid syntax."},
    };
    for (const Case &c : cases) {
        TRun run = Reg(c.args);
        EXPECT_EQ(run.Status, 1) << c.label;
        EXPECT_EQ(FirstLine(run.Err), c.firstErrorLine) << c.label;
    }
    EXPECT_FALSE(std::filesystem::exists(home_.StorePath())) << "a failed command created the store";
}

TEST_F(NarreloRegTest, DwordDataIsDecimalOrHex) {
    const struct {
        const char *data;
        const char *shown;
    } cases[] = {
        {"010", "0xa"}, {"09", "0x9"}, {"0", "0x0"}, {"4294967295", "0xffffffff"},
        {"0x1F", "0x1f"}, {"0X10", "0x10"}, {"0xFFFFFFFF", "0xffffffff"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.data);
        TRun run = Reg({"add", "HKCU\\K", "/v", "n", "/t", "REG_DWORD", "/d", c.data, "/f"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(Reg({"query", "HKCU\\K", "/v", "n"}).Out,
                  std::string("\nHKEY_CURRENT_USER\\K\n    n    REG_DWORD    ") + c.shown + "\n\n");
    }
}

TEST_F(NarreloRegTest, AddAsksBeforeReplacing) {
    ASSERT_EQ(Reg({"add", "HKCU\\K", "/v", "v", "/t", "REG_DWORD", "/d", "1"}).Status, 0);
    struct Case {
        const char *label;
        std::string input;
        int status;
        std::string stored;
    } cases[] = {
        {"end of input is no", "", 1, "0x1"},
        {"no", "n\n", 1, "0x1"},
        {"yes", "Yes\n", 0, "0x2"},
    };
    for (const Case &c : cases) {
        TRun run = Reg({"add", "HKCU\\K", "/v", "V", "/t", "REG_DWORD", "/d", "2"}, c.input);
        EXPECT_EQ(run.Status, c.status) << c.label;
        EXPECT_NE(Reg({"query", "HKCU\\K", "/v", "v"}).Out.find("REG_DWORD    " + c.stored), std::string::npos)
            << c.label;
    }
    EXPECT_EQ(Reg({"add", "HKCU\\K", "/v", "v", "/t", "REG_DWORD", "/d", "0x10", "/f"}).Status, 0);
    EXPECT_NE(Reg({"query", "HKCU\\K", "/v", "v"}).Out.find("REG_DWORD    0x10\n"), std::string::npos);
}

TEST_F(NarreloRegTest, DeleteValuesAndKeys) {
    ASSERT_EQ(Reg({"add", "HKCU\\A\\B\\C", "/v", "x", "/d", "1"}).Status, 0);
    ASSERT_EQ(Reg({"add", "HKCU\\A", "/v", "y", "/d", "2"}).Status, 0);
    EXPECT_EQ(Reg({"delete", "HKCU\\A", "/v", "Y"}).Status, 0);
    EXPECT_EQ(Reg({"query", "HKCU\\A", "/v", "y"}).Status, 1);
    EXPECT_EQ(Reg({"delete", "HKCU\\a\\b"}).Status, 0);
    EXPECT_EQ(Reg({"query", "HKCU\\A\\B\\C"}).Status, 1);
    TRun run = Reg({"query", "HKCU\\A"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "\nHKEY_CURRENT_USER\\A\n\n");
}

TEST_F(NarreloRegTest, CorruptStoreIsReportedAndKept) {
    const std::string garbage(3000, '\x7F');
    TempConfigHome::WriteFile(home_.StorePath(), garbage);
    for (const std::vector<std::string> &args : {std::vector<std::string>{"query", "HKCU\\Software"},
                                                 {"add", "HKCU\\Software", "/v", "x", "/d", "1", "/f"},
                                                 {"delete", "HKCU\\Software"}}) {
        TRun run = Reg(args);
        EXPECT_EQ(run.Status, 1) << args[0];
        EXPECT_EQ(run.Err, "ERROR: file is not a database (26)\nThe settings store " + home_.StorePath() +
                               " is damaged or not a settings store; move it away to start a new store.\n")
            << args[0];
    }
    EXPECT_EQ(TempConfigHome::ReadFile(home_.StorePath()), garbage);
}

// A FIFO at the store's path is refused at once as the non-regular file it is (no writer
// ever comes), with the advice the store's other refusals give.
TEST_F(NarreloRegTest, AFifoAtTheStoresPathIsRefusedAtOnce) {
    ASSERT_EQ(std::system(("mkdir -p \"$(dirname '" + home_.StorePath() + "')\"").c_str()), 0);
    ASSERT_EQ(::mkfifo(home_.StorePath().c_str(), 0600), 0);
    const pid_t child = Start({"query", "HKCU\\Software"}, "", 0);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 500 && (done = waitpid(child, &status, WNOHANG)) == 0; ++i) usleep(10000);
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "query blocked on the FIFO";
    }
    const std::string err = TempConfigHome::ReadFile(home_.Folder() + "/run0.err");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << err;
    EXPECT_NE(err.find("non-regular file"), std::string::npos) << err;
}

// Names and texts of the store reach the terminal with their control characters escaped:
// an escape sequence stored in a value never drives the terminal.
TEST_F(NarreloRegTest, QueryEscapesControlCharacters) {
    ASSERT_EQ(Reg({"add", "HKCU\\Software\\T", "/v", "a\x1B]0;x\x07", "/d", "red\x1B[31m \xC2\x9B" "2J C:\\Dir\\x", "/f"}).Status, 0);
    const TRun run = Reg({"query", "HKCU\\Software\\T"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.find('\x1B'), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("\xC2\x9B"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("a\\x1B]0;x\\x07    REG_SZ    red\\x1B[31m \\u009B2J C:\\Dir\\\\x"), std::string::npos)
        << run.Out;
}

// Several narrelo-reg processes writing the same value at once: none fails, and the value
// ends as one of those written.
TEST_F(NarreloRegTest, ConcurrentWritersAllSucceed) {
    constexpr int kProcesses = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < kProcesses; ++i)
        children.push_back(Start({"add", "HKCU\\Software\\Valtrosa\\Quellar\\Narrelo", "/v", "ClientID", "/d",
                                  "client-" + std::to_string(i), "/f"},
                                 "", i + 1));
    for (int i = 0; i < kProcesses; ++i) {
        TRun run = Wait(children[i], i + 1);
        EXPECT_EQ(run.Status, 0) << "process " << i << ": " << run.Err;
    }
    TRegistry registry(HKEY_CURRENT_USER, u"Software\\Valtrosa\\Quellar\\Narrelo");
    const std::string value = registry.ReadString(u"ClientID").ToUtf8();
    EXPECT_EQ(value.rfind("client-", 0), 0u) << value;
}

}  // namespace
