// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-say against a real narrelo-demoserver on loopback: a Turkish paragraph read into a
// WAVE file at two speeds, and a server that stops in the middle of a reading.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <filesystem>
#include <fstream>
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

// Sentences with more words to say than the service takes in one (it refuses more than 48 KiB
// of words, counted after numbers are spelled out) are cut by narrelo-say, at line breaks,
// else at blanks, and read through to their last word: a 100 KB sentence of words and a
// 12 KB list of numbers, one a line. The sound goes to /dev/null: hours of it.
TEST_F(NarreloSayE2eTest, SentencesTooLongForTheServiceAreCutAndReadThrough) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Hours of speech: minutes in the optimised build, beyond a test's time under a
    // sanitizer. The cutting itself is the same code in both.
    GTEST_SKIP() << "runs in the optimised build only";
#endif
    static const char *const words[] = {"güzel", "bahçe", "deniz", "kitap", "yol", "ev", "masa", "kalem"};
    std::string prose = "Başta";
    for (int i = 0; prose.size() < 100000; ++i) prose += std::string(" ") + words[i % 8];
    prose += " sonuncu.";
    std::string list = "Sayılar\n";
    for (int i = 0; list.size() < 12000; ++i) list += std::to_string(100000 + i * 7919) + "\n";
    list += "999999\n";
    struct TCase {
        const char *label;
        std::string text;
        const char *last;  // what the last sentence shown ends with
    };
    for (const TCase &c : {TCase{"a 100 KB sentence", prose, "sonuncu."}, TCase{"a 12 KB list", list, "999999"}}) {
        SCOPED_TRACE(c.label);
        std::ofstream(Path("text.txt"), std::ios::binary) << c.text;
        TChildProcess child("/bin/sh",
                            {"-c", "exec \"$0\" \"$@\" > /dev/null", NARRELO_SAY_EXE, "--server",
                             server->Endpoint(), "--wav", "-", "--file", Path("text.txt")},
                            "", Environment());
        const TChildResult run = child.Wait(std::chrono::seconds(300));
        EXPECT_EQ(run.Status, 0) << run.Err.substr(0, 2000);
        EXPECT_EQ(run.Err.find("too long"), std::string::npos) << run.Err.substr(0, 2000);
        // Every sentence is shown on a line of its own as it begins: the last one is the end
        // of the text.
        const size_t shown = run.Err.rfind("\n[");
        ASSERT_NE(shown, std::string::npos) << run.Err.substr(0, 2000);
        std::string last = run.Err.substr(shown + 1, run.Err.find('\n', shown + 1) - shown - 1);
        while (!last.empty() && last.back() == ' ') last.pop_back();
        EXPECT_TRUE(last.ends_with(c.last)) << last.substr(last.size() > 300 ? last.size() - 300 : 0);
    }
}

// A stream is read as it comes: a line written to a FIFO is read (its sound in the WAVE file)
// while the writer still holds the FIFO open, and the next line after it.
TEST_F(NarreloSayE2eTest, ALineThroughAPipeIsReadBeforeTheInputEnds) {
    const std::string fifo = Path("text.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TChildProcess child(NARRELO_SAY_EXE, {"--server", server->Endpoint(), "--wav", Path("live.wav"), "--file", fifo},
                        "", Environment());
    const int writer = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const auto soundSoFar = [&] {
        std::error_code ignored;
        const uintmax_t size = std::filesystem::file_size(Path("live.wav"), ignored);
        return ignored ? 0 : size;
    };
    const auto waitForSound = [&](uintmax_t beyond) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (soundSoFar() <= beyond && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return soundSoFar();
    };
    const std::string first = "Merhaba dünya.\n";
    ASSERT_EQ(::write(writer, first.data(), first.size()), ssize_t(first.size()));
    const uintmax_t afterFirst = waitForSound(80);
    EXPECT_GT(afterFirst, 80u + 16000u) << "the first line was not read while the input stayed open";
    const std::string second = "Bugün hava çok güzel";  // no line break: read at the end
    ASSERT_EQ(::write(writer, second.data(), second.size()), ssize_t(second.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(soundSoFar(), afterFirst) << "a sentence not yet whole was read";
    ::close(writer);
    const TChildResult run = child.Wait();
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TWavPcm wav = ReadWavPcm(Path("live.wav"));
    ASSERT_TRUE(wav.Valid);
    EXPECT_GT(wav.Data.size(), afterFirst - 80 + 16000);
    EXPECT_NE(run.Err.find("] Bugün hava çok güzel"), std::string::npos) << run.Err;
}

// An XML text longer than one call's limit is cut between its sentence elements, each part
// a document of its own, and read whole; a text that is not XML is refused with advice that
// speaks of --xml.
TEST_F(NarreloSayE2eTest, XmlTextsOfAnyLengthAreReadWhole) {
    std::string padding = "<!--";
    while (padding.size() < 900) padding += " not";
    padding += " -->";
    std::string xml = "<?xml version=\"1.0\"?>\r\n<xml>\r\n";
    int sentences = 0;
    for (; xml.size() < 70000; ++sentences)
        xml += "<SENTENCE>\r\n" + padding + "\r\n<SENTENCEPART TEXTKIND=\"3\">\r\nAli Veli " +
               std::to_string(sentences + 1) + "\r\n</SENTENCEPART>\r\n</SENTENCE>\r\n";
    xml += "<SENTENCE>Son cümle.</SENTENCE>\r\n</xml>\r\n";
    ++sentences;
    std::ofstream(Path("long.xml"), std::ios::binary) << xml;
    TChildProcess child(NARRELO_SAY_EXE,
                        {"--server", server->Endpoint(), "--xml", "--wav", Path("xml.wav"), "--file", Path("long.xml")},
                        "", Environment());
    const TChildResult run = child.Wait(std::chrono::seconds(120));
    ASSERT_EQ(run.Status, 0) << run.Err;
    // Each sentence is shown (as its document) on a line of its own as it begins.
    const size_t last = run.Err.rfind("\n[" + std::to_string(sentences) + "] ");
    ASSERT_NE(last, std::string::npos) << run.Err.substr(run.Err.size() > 3000 ? run.Err.size() - 3000 : 0);
    EXPECT_NE(run.Err.find("Son cümle.", last), std::string::npos) << run.Err.substr(last);
    EXPECT_GT(ReadWavPcm(Path("xml.wav")).Data.size(), size_t(sentences) * 16000);

    TChildProcess plain(NARRELO_SAY_EXE, {"--server", server->Endpoint(), "--xml", "--wav", Path("xml.wav"), "Merhaba <dünya."},
                        "", Environment());
    const TChildResult refused = plain.Wait();
    EXPECT_EQ(refused.Status, 1) << refused.Err;
    EXPECT_NE(refused.Err.find("XML error"), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Err.find("leave --xml out"), std::string::npos) << refused.Err;
    EXPECT_EQ(refused.Err.find("XML switch"), std::string::npos) << refused.Err;
    EXPECT_EQ(refused.Err.find("XML düğmesi"), std::string::npos) << refused.Err;
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
    EXPECT_GE(partial.Data.size(), 100000u - 80u);
    EXPECT_LT(partial.Data.size(), complete.Data.size());
    EXPECT_TRUE(complete.Data.compare(0, partial.Data.size(), partial.Data) == 0)
        << "the sound before the failure is not the beginning of the reading";
}

// Messages name the cause: a service killed in the middle of a reading, or one that closes
// every connection at once, closed the connection (nothing timed out); a refused server at
// another port than the local service's gets no advice to start the local service; a file
// that cannot be opened says why.
TEST_F(NarreloSayE2eTest, MessagesNameTheCause) {
    {
        SCOPED_TRACE("the service killed mid-reading");
        std::string text;
        for (int i = 0; i < 40; ++i) text += std::string(Paragraph) + " ";
        TChildProcess child(NARRELO_SAY_EXE, {"--server", server->Endpoint(), "--wav", Path("part.wav"), text}, "",
                            Environment());
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit &&
               (!std::filesystem::exists(Path("part.wav")) || std::filesystem::file_size(Path("part.wav")) < 100000))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(server->Pid(), SIGKILL);
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 1) << run.Err;
        // Ours when the service hung up in a call, the system's when the kernel reset the
        // connection or the next call found nobody: never a timeout.
        EXPECT_TRUE(run.Err.find("closed the connection") != std::string::npos ||
                    run.Err.find("Connection reset by peer") != std::string::npos ||
                    run.Err.find("Connection refused") != std::string::npos)
            << run.Err;
        EXPECT_EQ(run.Err.find("timed out"), std::string::npos) << run.Err;
    }
    {
        SCOPED_TRACE("a service that closes at once");
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener, 8), 0);
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
        std::thread closer([listener] {
            for (int i = 0; i < 8; ++i) {  // bounded: the reading gives up after its first call
                const int connection = ::accept(listener, nullptr, nullptr);
                if (connection < 0) return;
                ::close(connection);
            }
        });
        const std::string endpoint =
            "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/Project2.DemoServer/soap/IDemoServer";
        TChildProcess child(NARRELO_SAY_EXE, {"--server", endpoint, "--wav", Path("none.wav"), "Merhaba."}, "",
                            Environment());
        const TChildResult run = child.Wait();
        ::shutdown(listener, SHUT_RDWR);
        ::close(listener);
        closer.join();
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_NE(run.Err.find("closed the connection"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Err.find("timed out"), std::string::npos) << run.Err;
    }
    {
        SCOPED_TRACE("a refused server at another port");
        TChildProcess child(NARRELO_SAY_EXE, {"--server", "http://127.0.0.1:1/soap", "--wav", Path("none.wav"), "Merhaba."},
                            "", Environment());
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_NE(run.Err.find("Connection refused"), std::string::npos) << run.Err;
        EXPECT_EQ(run.Err.find("narrelo-demoserver"), std::string::npos) << run.Err;
    }
    {
        SCOPED_TRACE("a file that cannot be opened");
        TChildProcess child(NARRELO_SAY_EXE, {"--wav", Path("none.wav"), "--file", Path("missing.txt")}, "",
                            Environment());
        const TChildResult run = child.Wait();
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_NE(run.Err.find("File Not Opened " + Path("missing.txt") + ": No such file or directory"),
                  std::string::npos)
            << run.Err;
    }
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
