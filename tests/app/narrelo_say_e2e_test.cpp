// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-say against a real narrelo-demoserver on loopback: a Turkish paragraph read into a
// WAVE file at two speeds, and a server that stops in the middle of a reading.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_config_home.h"
#include "tests/support/wav_pcm.h"

#if __has_include("tests/support/demo_server_process.h")
#include "tests/support/demo_server_process.h"
#define NARRELO_HAVE_DEMO_SERVER 1
#endif

namespace {

#ifdef NARRELO_HAVE_DEMO_SERVER

const char *const Paragraph =
    "İstanbul, Boğaziçi'nin iki yakasına kurulmuş büyük ve eski bir şehirdir. Sabahları "
    "vapurlar işe giden insanlarla dolar, martılar da onların peşinden uçar. Akşamüstü "
    "güneş batarken tarihi yarımadanın kubbeleri altın rengine bürünür. Çay bahçelerinde "
    "oturan yaşlılar tavla oynar, çocuklar sahilde koşuşturur.";

int WordsOf(const std::string &text) {
    std::istringstream in(text);
    int words = 0;
    for (std::string word; in >> word;) ++words;
    return words;
}

double Seconds(const TWavPcm &wav) { return double(wav.Data.size()) / 32000.0; }

class NarreloSayE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(NARRELO_BINARY_DIR) + "/server/narrelo-demoserver"))
            GTEST_SKIP() << "narrelo-demoserver is not built";
        server = std::make_unique<TDemoServerProcess>();
    }
    std::vector<std::string> Environment() const { return {"XDG_CONFIG_HOME=" + home.Folder()}; }
    std::string Path(const std::string &name) const { return home.Folder() + "/" + name; }

    TChildResult SayToWav(const std::string &wav, const std::string &speed, const std::string &text) {
        TChildProcess child(NARRELO_SAY_EXE,
                            {"--server", server->Endpoint(), "--speed", speed, "--wav", wav, text}, "",
                            Environment());
        return child.Wait();
    }

    TempConfigHome home;
    std::unique_ptr<TDemoServerProcess> server;
};

TEST_F(NarreloSayE2eTest, ParagraphAtNormalAndSlowerSpeedHasPlausibleLength) {
    const TChildResult normal = SayToWav(Path("10.wav"), "10", Paragraph);
    ASSERT_EQ(normal.Status, 0) << normal.Err;
    const TChildResult slower = SayToWav(Path("15.wav"), "15", Paragraph);
    ASSERT_EQ(slower.Status, 0) << slower.Err;

    const TWavPcm wav10 = ReadWavPcm(Path("10.wav"));
    const TWavPcm wav15 = ReadWavPcm(Path("15.wav"));
    ASSERT_TRUE(wav10.Valid);
    ASSERT_TRUE(wav15.Valid);
    EXPECT_EQ(wav10.SampleRate, 16000u);
    EXPECT_EQ(wav10.Channels, 1);
    EXPECT_EQ(wav10.BitsPerSample, 16);
    // Speech runs at about two to four words a second.
    const double perWord = Seconds(wav10) / WordsOf(Paragraph);
    EXPECT_GT(perWord, 0.2) << Seconds(wav10) << " s";
    EXPECT_LT(perWord, 0.8) << Seconds(wav10) << " s";
    // Setting 15 stretches every sentence to twice its length, pitch periods kept.
    const double ratio = Seconds(wav15) / Seconds(wav10);
    EXPECT_GT(ratio, 1.9);
    EXPECT_LT(ratio, 2.1);
    // Every sentence was announced as it was written.
    EXPECT_NE(normal.Err.find("[4/4] Çay bahçelerinde"), std::string::npos) << normal.Err;
}

// One sentence far too long to speak as one item (a list of numbers with no full stop) is
// read whole: the service answers it in pieces and the reading never fails for its length.
TEST_F(NarreloSayE2eTest, AnOverLongSentenceIsReadWhole) {
    std::string list;
    for (int i = 0; i < 120; ++i) list += (i ? ", " : "") + std::to_string(100000 + i * 7919);
    const TChildResult run = SayToWav(Path("list.wav"), "10", list);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TWavPcm wav = ReadWavPcm(Path("list.wav"));
    ASSERT_TRUE(wav.Valid);
    // 120 six-digit numbers take well over two seconds each to say.
    EXPECT_GT(Seconds(wav), 120 * 2.0);
}

TEST_F(NarreloSayE2eTest, ServerStoppedMidReadingGivesTheMessageExitOneAndTheSoundBefore) {
    // A text long enough that the reading is still going when the server goes.
    std::string text;
    for (int i = 0; i < 40; ++i) text += std::string(Paragraph) + " ";
    const TChildResult full = SayToWav(Path("full.wav"), "10", text);
    ASSERT_EQ(full.Status, 0) << full.Err;
    const TWavPcm complete = ReadWavPcm(Path("full.wav"));

    TChildProcess child(NARRELO_SAY_EXE,
                        {"--server", server->Endpoint(), "--wav", Path("part.wav"), text}, "",
                        Environment());
    // Once some sound is written the reader is frozen while the server is told to stop, and
    // let go again so that the server can finish the request in flight and end.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit &&
           (!std::filesystem::exists(Path("part.wav")) ||
            std::filesystem::file_size(Path("part.wav")) < 100000))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    child.Signal(SIGSTOP);
    std::thread stopping([&] { server->Stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    child.Signal(SIGCONT);
    stopping.join();
    const TChildResult part = child.Wait();

    EXPECT_EQ(part.Status, 1) << part.Err;
    EXPECT_NE(part.Err.find("WebServis çağrısında hata oluştu"), std::string::npos) << part.Err;
    const TWavPcm partial = ReadWavPcm(Path("part.wav"));
    ASSERT_TRUE(partial.Valid);
    EXPECT_GE(partial.Data.size(), 100000u - 44u);
    EXPECT_LT(partial.Data.size(), complete.Data.size());
    EXPECT_TRUE(complete.Data.compare(0, partial.Data.size(), partial.Data) == 0)
        << "the sound before the failure is not the beginning of the reading";
}

// Whether something accepts a connection on the Unix socket `path`.
bool SocketAnswers(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The process id narrelo-say names when it started the local service; -1 when it did not.
pid_t StartedService(const std::string &err) {
    const std::string marker = "started the local speech service (";
    const size_t at = err.find(marker);
    if (at == std::string::npos) return -1;
    const size_t process = err.find(", process ", at);
    return process == std::string::npos ? -1 : pid_t(std::stol(err.substr(process + 10)));
}

// Ends a service a test started through narrelo-say and waits (at most 5 s) until it is
// gone: it no longer answers, and it removed its socket.
void StopService(pid_t pid, const std::string &socket) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 500 && (::kill(pid, 0) == 0 || SocketAnswers(socket)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// A user of the test: a home with its own runtime folder (0700), as a login gives one.
struct TTestUser {
    TTestUser(const std::string &root, uid_t id) : Id(id), Home(root + "/home-" + std::to_string(id)) {
        std::filesystem::create_directories(Home + "/run");
        ::chmod(Home.c_str(), 0700);
        ::chmod((Home + "/run").c_str(), 0700);
        if (id != ::geteuid()) {
            for (const std::string &path : {Home, Home + "/run"})
                if (::chown(path.c_str(), id, gid_t(id)) != 0) throw std::runtime_error("chown failed");
        }
    }
    std::vector<std::string> Environment() const {
        return {"HOME=" + Home, "XDG_RUNTIME_DIR=" + Home + "/run", "XDG_CONFIG_HOME=" + Home + "/config",
                "XDG_STATE_HOME=" + Home + "/state", "XDG_CACHE_HOME=" + Home + "/cache", "TMPDIR=" + Home};
    }
    std::string Socket() const { return Home + "/run/narrelo/demoserver.sock"; }
    std::string Wav() const { return Home + "/out.wav"; }

    uid_t Id;
    std::string Home;
};

// Every byte of the regular files below `folder`, one after the other.
std::string FilesBelow(const std::string &folder) {
    std::string all;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_regular_file(error)) all += TempConfigHome::ReadFile(it->path().string());
    return all;
}

// With no server named, narrelo-say reads from the user's own service on the user's socket:
// it starts the narrelo-demoserver beside it there when nothing answers, and the next
// reading uses the running one. A server named on the command line is never replaced by a
// local one, and nothing listens on a port.
TEST(NarreloSayOnDemandE2eTest, StartsTheUsersOwnServiceOnItsSocketOnce) {
    TempConfigHome scratch;
    const TTestUser user(scratch.Folder(), ::geteuid());
    {
        SCOPED_TRACE("a server named: nothing is started");
        TChildProcess say(NARRELO_SAY_EXE, {"DemoServer=http://127.0.0.1:1/soap", "--wav", user.Wav(), "Merhaba."},
                          "", user.Environment());
        const TChildResult run = say.Wait();
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(user.Socket()));
    }
    pid_t started = -1;
    {
        TChildProcess say(NARRELO_SAY_EXE, {"--wav", user.Wav(), "Merhaba dünya."}, "", user.Environment());
        const TChildResult run = say.Wait();
        started = StartedService(run.Err);
        EXPECT_EQ(run.Status, 0) << run.Err;
        ASSERT_GT(started, 0) << run.Err;
        EXPECT_GT(ReadWavPcm(user.Wav()).Data.size(), 16000u);
    }
    struct stat folder {}, socket {};
    ASSERT_EQ(::stat((user.Home + "/run/narrelo").c_str(), &folder), 0);
    ASSERT_EQ(::stat(user.Socket().c_str(), &socket), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_TRUE(S_ISSOCK(socket.st_mode));
    EXPECT_EQ(socket.st_mode & 07777, 0600u);
    {
        SCOPED_TRACE("the second reading uses the running service");
        TChildProcess say(NARRELO_SAY_EXE, {"--wav", user.Wav(), "Merhaba dünya."}, "", user.Environment());
        const TChildResult run = say.Wait();
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(StartedService(run.Err), -1) << run.Err;
    }
    StopService(started, user.Socket());
    EXPECT_FALSE(std::filesystem::exists(user.Socket())) << "the service removes its socket when it ends";
}

// Two users of one machine (two uids; the test needs root to become them): each reading
// starts that user's own service on that user's socket; neither can open the other's socket,
// and no user's text reaches the other's cache.
TEST(NarreloSayOnDemandE2eTest, TwoUsersEachGetTheirOwnServiceAndNeitherSeesTheOthersText) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming two users needs root";
    std::string root = (std::filesystem::temp_directory_path() / "narrelo-users-XXXXXX").string();
    ASSERT_NE(::mkdtemp(root.data()), nullptr);
    ::chmod(root.c_str(), 0711);  // the users reach their homes, nothing more
    const TTestUser users[] = {TTestUser(root, 61001), TTestUser(root, 61002)};
    const std::string texts[] = {"Birinci kullanıcının gizli mektubu burada okunuyor.",
                                 "İkinci kullanıcı kendi alışveriş listesini dinliyor."};
    pid_t services[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        TChildProcess say(NARRELO_SAY_EXE, {"--wav", users[i].Wav(), texts[i]}, "", users[i].Environment(),
                          users[i].Id);
        const TChildResult run = say.Wait();
        services[i] = StartedService(run.Err);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_GT(ReadWavPcm(users[i].Wav()).Data.size(), 16000u);
        struct stat socket {};
        ASSERT_EQ(::stat(users[i].Socket().c_str(), &socket), 0);
        EXPECT_EQ(socket.st_uid, users[i].Id);
        EXPECT_EQ(socket.st_mode & 07777, 0600u);
    }
    // The second user cannot even reach the first one's socket: its folders are the first
    // user's alone. Tried as that user, by a process of the test.
    {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(gid_t(users[1].Id)) != 0 || ::setuid(users[1].Id) != 0) ::_exit(3);
            ::_exit(SocketAnswers(users[0].Socket()) ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "user 2 connected to user 1's service";
    }
    for (int i = 0; i < 2; ++i) StopService(services[i], users[i].Socket());
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const std::string cache = FilesBelow(users[i].Home + "/cache");
        EXPECT_FALSE(cache.empty()) << "each service cached its own audio";
        EXPECT_EQ(cache.find("gizli mektubu"), std::string::npos);
        EXPECT_EQ(cache.find("listesini"), std::string::npos);
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

#else

TEST(NarreloSayE2eTest, NeedsTheDemoServer) {
    GTEST_SKIP() << "tests/support/demo_server_process.h is not there yet";
}

#endif

}  // namespace
