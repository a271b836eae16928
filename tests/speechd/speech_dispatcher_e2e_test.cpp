// SPDX-License-Identifier: GPL-3.0-or-later
// sd_narrelo under Debian's real speech-dispatcher: the server in single mode with its own
// configuration and module folders and a private socket, sound to a PulseAudio null sink
// started here on a private runtime folder and recorded from its monitor. spd-say speaks and
// waits for the end; a python3-speechd client receives the index marks in order and END;
// and the recording holds speech.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "tests/support/child_process.h"
#include "turkish/turkish_commands.h"
#include "turkish/turkish_text.h"

namespace {

namespace fs = std::filesystem;

const std::string Spoken = "Merhaba, bugün 3 Mart 2024, saat 14:30.";

// A program that runs in the background until the test ends: SIGTERM, then SIGKILL.
class TBackground {
public:
    TBackground(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                const std::string &output) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(out, 2);
            for (const std::string &entry : environment) putenv(const_cast<char *>(entry.c_str()));
            std::vector<char *> args;
            for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~TBackground() { Stop(); }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

bool WaitFor(const fs::path &path) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Tenths of a second of the 16 kHz recording that hold sound.
int SoundingTenths(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    int sounding = 0;
    for (size_t at = 0; at + 3200 <= bytes.size(); at += 3200) {
        double energy = 0;
        for (size_t i = at; i < at + 3200; i += 2) {
            const double s =
                int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8);
            energy += s * s;
        }
        if (std::sqrt(energy / 1600) > 300) ++sounding;
    }
    return sounding;
}

TEST(SpeechDispatcherE2ETest, SpdSayAndAClientHearTheModule) {
    for (const char *program : {"/usr/bin/speech-dispatcher", "/usr/bin/spd-say",
                                "/usr/bin/pulseaudio", "/usr/bin/parec"})
        if (!fs::exists(program))
            GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh)";
    char pattern[] = "/tmp/narrelo-spd-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const fs::path run = root / "run", conf = root / "conf", log = root / "log";
    for (const fs::path &dir : {run, conf / "modules", log}) fs::create_directories(dir);
    fs::permissions(run, fs::perms::owner_all);
    std::ofstream(conf / "speechd.conf")
        << "LogLevel 4\nLogDir \"" << log.string() << "\"\nAudioOutputMethod \"pulse\"\n"
        << "AddModule \"narrelo\" \"" NARRELO_BINARY_DIR "/speechd/sd_narrelo\" \""
        << (conf / "modules" / "narrelo.conf").string()
        << "\"\nDefaultModule narrelo\nDefaultLanguage \"tr\"\n";
    std::ofstream(conf / "modules" / "narrelo.conf") << "NarreloLogReading 1\n";
    const std::string pulseSocket = (run / "pulse.sock").string(),
                      speechSocket = (run / "speechd.sock").string();
    const std::vector<std::string> environment = {
        "XDG_RUNTIME_DIR=" + run.string(), "HOME=" + root.string(),
        "PULSE_SERVER=unix:" + pulseSocket, "SPEECHD_ADDRESS=unix_socket:" + speechSocket};
    TBackground pulse(
        {"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
         "-L", "module-native-protocol-unix socket=" + pulseSocket + " auth-anonymous=1", "-L",
         "module-null-sink sink_name=narrelo_test"},
        environment, (log / "pulse.out").string());
    ASSERT_TRUE(WaitFor(pulseSocket)) << "PulseAudio did not start";
    const std::string recording = (root / "sink.raw").string();
    TBackground recorder(
        {"/usr/bin/sh", "-c",
         "exec /usr/bin/parec -d narrelo_test.monitor --format=s16le --rate=16000 --channels=1 > " +
             recording},
        environment, (log / "parec.out").string());
    TBackground server({"/usr/bin/speech-dispatcher", "-s", "-t", "60", "-C", conf.string(), "-S",
                        speechSocket, "-c", "unix_socket", "-L", log.string()},
                       environment, (log / "speechd.out").string());
    ASSERT_TRUE(WaitFor(speechSocket)) << "speech-dispatcher did not start";

    TChildProcess say("/usr/bin/spd-say", {"-w", "-o", "narrelo", "-l", "tr", Spoken}, "",
                      environment);
    const TChildResult said = say.Wait(std::chrono::seconds(30));
    EXPECT_EQ(said.Status, 0) << said.Err;

    TChildProcess client("/usr/bin/python3", {NARRELO_FIXTURES "/marks_client.py", speechSocket},
                         "", environment);
    const TChildResult heard = client.Wait(std::chrono::seconds(40));
    EXPECT_EQ(heard.Status, 0) << heard.Err;
    // The client library registers its callback only after the message is accepted, so BEGIN,
    // sent at once, may reach it before then; the marks and END come later.
    EXPECT_TRUE(heard.Out == "begin m1 m2 end\n" || heard.Out == "m1 m2 end\n") << heard.Out << heard.Err;

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    server.Stop();
    recorder.Stop();
    pulse.Stop();
    // Both utterances, some 2 s and 1.5 s of speech.
    EXPECT_GE(SoundingTenths(recording), 15);
    std::ifstream moduleLog(log / "narrelo.log");
    const std::string logged((std::istreambuf_iterator<char>(moduleLog)), {});
    const std::string reading = cp1254::ToUtf8(NormaliseForSpeech(Windows1254ForSpeech(Spoken), 0));
    EXPECT_NE(logged.find("sd_narrelo: reading: " + reading + "\n"), std::string::npos) << logged;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

}  // namespace
