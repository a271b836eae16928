// SPDX-License-Identifier: GPL-3.0-or-later
// bench_window: drives the real main reading window through scripted readings against a
// running speech service and reports what a person would notice. A measurement, not a test:
// it prints numbers and asserts nothing.
//
//   bench_window DemoServer=<endpoint> [--screenshot FILE] [--readings N] [--memory N]
//
// - latency: for N different texts (after one warm-up reading), the time from pressing Read
//   until the first sentence's sound is handed to the sound device, and until it starts
//   playing (the play-start event reaches the window);
// - responsiveness: the longest time the event loop went without a pass during those
//   readings (a 2 ms timer's longest interval), and the longest Read command itself, which
//   runs on the UI thread (server lookup, update check, warning sound);
// - memory: the same long text read N times with a sound device that plays as fast as it is
//   fed; the resident size after each reading, and the size of the caches;
// - --screenshot: the window in the middle of a reading, as a PNG.
//
// Run it under Xvfb with SDL_AUDIODRIVER=disk (scripts/measure-window.sh does).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "app/form_commercial_tts.h"
#include "foundation/cmd_parameters.h"
#include "foundation/code_page.h"
#include "foundation/host.h"
#include "foundation/message_box.h"
#include "foundation/thread.h"
#include "platform/audio_device.h"
#include "platform/audio_device_sdl.h"
#include "platform/audio_device_wav.h"
#include "records/demo_audio.h"
#include "ui/ui_thread.h"
#include "ui/wx_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The first sentence block handed to the device since Arm().
struct TFirstSound {
    std::mutex Lock;
    bool Armed = false;
    Clock::time_point At{};
    void Arm() {
        std::lock_guard<std::mutex> g(Lock);
        Armed = true;
        At = {};
    }
    void Written(uintptr_t tag) {
        std::lock_guard<std::mutex> g(Lock);
        if (Armed && tag != WarningSoundTag) {
            At = Clock::now();
            Armed = false;
        }
    }
    Clock::time_point Get() {
        std::lock_guard<std::mutex> g(Lock);
        return At;
    }
};
TFirstSound FirstSound;
// Bytes of sentence sound handed to the device.
std::atomic<int64_t> SentenceBytes{0};

// Hands every call to `inner`, noting when a sentence block arrives.
class TTimedDevice : public TAudioDevice {
public:
    explicit TTimedDevice(std::unique_ptr<TAudioDevice> inner) : inner_(std::move(inner)) {}
    int32_t OutputDeviceCount() override { return inner_->OutputDeviceCount(); }
    int32_t Open(const TAudioFormat &f, TDoneCallback cb, bool q) override { return inner_->Open(f, std::move(cb), q); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    int32_t Prepare(TAudioBuffer &b) override { return inner_->Prepare(b); }
    int32_t Unprepare(TAudioBuffer &b) override { return inner_->Unprepare(b); }
    int32_t Write(TAudioBuffer &b) override {
        FirstSound.Written(b.User);
        if (b.User != WarningSoundTag) SentenceBytes += b.Length;
        return inner_->Write(b);
    }
    int32_t Pause() override { return inner_->Pause(); }
    int32_t Restart() override { return inner_->Restart(); }
    int32_t Reset() override { return inner_->Reset(); }
    int32_t Close() override { return inner_->Close(); }
    std::string ErrorText(int32_t c) const override { return inner_->ErrorText(c); }

private:
    std::unique_ptr<TAudioDevice> inner_;
};

// Notes when the play-start event of a reading reaches the window.
class TPlayWatcher : public TEventHandler_WaveOut {
public:
    std::atomic<bool> Started{false};
    void OnPlayStart(TWaveOut *) override {
        Host().Post([this] { Started = true; });
    }
};

// The longest interval between two passes of the event loop while it runs.
const char *Phase = "";
class TGapTimer : public wxTimer {
public:
    void Notify() override {
        const auto now = Clock::now();
        if (last_ != Clock::time_point{} && now - last_ > longest_) {
            longest_ = now - last_;
            if (getenv("BENCH_GAP_PHASE")) std::fprintf(stderr, "gap %.1f ms in %s\n", Ms(longest_), Phase);
        }
        last_ = now;
    }
    void Reset() {
        last_ = {};
        longest_ = {};
    }
    Clock::duration Longest() const { return longest_; }

private:
    Clock::time_point last_{};
    Clock::duration longest_{};
};

bool PumpUntil(const std::function<bool()> &done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
    return true;
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int64_t CacheBytes(TFormCommercialTTS &form) {
    int64_t bytes = 0;
    for (int32_t i = 0; i < form.AudioCache.Count(); ++i) bytes += form.AudioCache.Get(i)->Data.Size();
    return bytes;
}

void SetText(TFormCommercialTTS &form, const std::string &utf8) {
    form.TextBox.Ctrl()->SetValue(ToWx(cp1254::FromUtf8(utf8)));  // as typed: the word count follows
}

bool ReadingOver(TFormCommercialTTS &form) {
    return !form.ReadingRuns() && form.Item(1007)->IsEnabled() && !form.Item(1011)->IsShown();
}

// Reads the text box to its end, going on at every listening pause.
bool ReadThrough(TFormCommercialTTS &form, double seconds) {
    form.ReadClicked();
    return PumpUntil([&] {
        if (form.ListeningPauseShown()) form.ContinueClicked();
        return ReadingOver(form);
    }, seconds);
}

const char *const Sentences[] = {
    "Bugün hava çok güzel ve güneşli.",
    "Yarın sabah erkenden yola çıkacağız.",
    "Kütüphanede yeni kitaplar var.",
    "Akşam yemeğinde balık yedik.",
    "Çocuklar bahçede top oynuyor.",
    "Toplantı saat üçte başlayacak.",
    "Denizin kenarında uzun bir yürüyüş yaptık.",
    "Bu kitabı herkese tavsiye ederim.",
    "Trenin kalkmasına on dakika var.",
    "Kar yağınca okullar tatil oldu.",
    "Annem bana sıcak bir çorba yaptı.",
    "İstasyondan eve yürüyerek döndük.",
};

std::string LongText() {
    // About five minutes of speech.
    // Every sentence different (the ordinal makes it so), so nothing is cached before the
    // first reading ends.
    std::string text;
    int n = 0;
    for (int round = 0; round < 10; ++round)
        for (const char *s : Sentences) {
            std::string sentence = s;
            sentence.pop_back();  // the full stop
            text += sentence + ", " + std::to_string(++n) + ". ";
        }
    return text;
}

// The bench's host: messages are printed, not shown, and questions answered No, so that a
// run never waits for a person.
class TBenchHost : public THost {
public:
    int ShowMessage(const char *text, int style) override {
        std::fprintf(stderr, "message: %s\n", cp1254::ToUtf8(text).c_str());
        return style == MB_YESNO ? IDNO : IDOK;
    }
};

}  // namespace

int main(int argc, char **argv) {
    std::string screenshot;
    int readings = 10, memoryReadings = 10;
    std::vector<const char *> passOn = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc) screenshot = argv[++i];
        else if (!std::strcmp(argv[i], "--readings") && i + 1 < argc) readings = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--memory") && i + 1 < argc) memoryReadings = std::atoi(argv[++i]);
        else passOn.push_back(argv[i]);
    }
    InitCmdParameters(int(passOn.size()), passOn.data());

    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char *wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_window: no display (run it under xvfb-run)\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    AttachUiQueue();
    InstallHost(new TBenchHost);  // kept to the end of the process

    SetAudioDeviceFactory([] { return std::make_unique<TTimedDevice>(std::make_unique<TSdlAudioDevice>()); });
    auto form = std::make_unique<TFormCommercialTTS>();
    form->Create();
    form->Dialog()->Show();
    TPlayWatcher watcher;
    form->WaveOut.Listeners().Add(&watcher);
    PumpUntil([] { return false; }, 0.3);

    if (!screenshot.empty()) {
        SetText(*form, std::string(Sentences[0]) + " " + Sentences[1] + " " + Sentences[2] + "\n\n" + Sentences[3] +
                           " " + Sentences[4]);
        form->ReadClicked();
        // The second sentence is being heard.
        const bool ok = PumpUntil([&] { return form->PlayingQueue.SentencesHeard() >= 1 && form->ReadingRuns(); }, 60);
        PumpUntil([] { return false; }, 0.3);
        const wxRect r = form->Dialog()->GetScreenRect();
        wxScreenDC screen;
        wxBitmap bitmap(r.width, r.height);
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, r.width, r.height, &screen, r.x, r.y);
        memory.SelectObject(wxNullBitmap);
        const bool saved = ok && bitmap.SaveFile(wxString::FromUTF8(screenshot), wxBITMAP_TYPE_PNG);
        std::printf("screenshot %s: %s\n", screenshot.c_str(), saved ? "written" : "FAILED");
        form->StopReading();
        form.reset();
        DetachUiQueue();
        wxEntryCleanup();
        return saved ? 0 : 1;
    }

    // Warm-up: the notice, the warning sound, the first connection.
    SetText(*form, "Merhaba.");
    ReadThrough(*form, 60);

    TGapTimer gaps;
    gaps.Start(2);
    Clock::duration readingGap{};
    std::vector<double> toWrite, toPlay, readCommand;
    for (int i = 0; i < readings; ++i) {
        Phase = "set text";
        SetText(*form, Sentences[i % 12] + std::string(" ") + std::to_string(i + 1) + ".");
        Phase = "idle";
        PumpUntil([] { return false; }, 0.05);
        watcher.Started = false;
        FirstSound.Arm();
        const auto pressed = Clock::now();
        Phase = "read command";
        form->ReadClicked();
        readCommand.push_back(Ms(Clock::now() - pressed));
        Phase = "until play starts";
        PumpUntil([&] { return watcher.Started.load() && FirstSound.Get() != Clock::time_point{}; }, 30);
        Phase = "playing";
        toPlay.push_back(Ms(Clock::now() - pressed));
        toWrite.push_back(Ms(FirstSound.Get() - pressed));
        PumpUntil([&] { return ReadingOver(*form); }, 60);
        form->TextBox.Select(0, 0);
    }
    readingGap = gaps.Longest();
    // Stopping a reading in the middle: the sound queued so far is dropped on the UI thread.
    std::vector<double> stopCommand;
    for (int i = 0; i < 3; ++i) {
        Phase = "before a stop";
        SetText(*form, std::string(Sentences[i]) + " " + Sentences[i + 1] + " " + Sentences[i + 2] + " " +
                           std::to_string(100 + i) + ".");
        form->TextBox.Select(0, 0);
        watcher.Started = false;
        form->ReadClicked();
        PumpUntil([&] { return watcher.Started.load(); }, 30);
        PumpUntil([] { return false; }, 0.3);
        const auto pressed = Clock::now();
        Phase = "stop command";
        form->ReadClicked();
        stopCommand.push_back(Ms(Clock::now() - pressed));
        PumpUntil([&] { return ReadingOver(*form); }, 30);
    }
    // A service that takes the connection and never answers (a listening socket nobody
    // accepts from): the longest event-loop gap while the reading waits for it, and the
    // Stop command's time then.
    Clock::duration hungGap{};
    double hungStop = -1;
    {
        const int silent = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (silent >= 0 && bind(silent, reinterpret_cast<sockaddr *>(&address), size) == 0 && listen(silent, 16) == 0 &&
            getsockname(silent, reinterpret_cast<sockaddr *>(&address), &size) == 0) {
            const std::string server = "DemoServer=http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                                       "/Project2.DemoServer/soap/IDemoServer";
            const char *silentArgs[] = {argv[0], server.c_str()};
            InitCmdParameters(2, silentArgs);
            SetText(*form, "Yanıt vermeyen bir servise sorulan, daha önce okunmamış bir cümle.");
            form->TextBox.Select(0, 0);
            Phase = "a call that hangs";
            gaps.Reset();
            form->ReadClicked();
            PumpUntil([] { return false; }, 2);
            hungGap = gaps.Longest();
            const auto pressed = Clock::now();
            form->ReadClicked();
            hungStop = Ms(Clock::now() - pressed);
            PumpUntil([&] { return ReadingOver(*form); }, 10);
            InitCmdParameters(int(passOn.size()), passOn.data());
        }
        if (silent >= 0) close(silent);
    }
    gaps.Stop();
    auto report = [](const char *what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("%-44s median %7.1f ms   max %7.1f ms   (n=%zu)\n", what, v[v.size() / 2], v.back(), v.size());
    };
    report("Read -> first sentence sound at the device", toWrite);
    report("Read -> play-start shown in the window", toPlay);
    report("Read command on the UI thread", readCommand);
    std::printf("%-44s %7.1f ms\n", "longest event-loop gap while reading", Ms(readingGap));
    report("Stop command on the UI thread", stopCommand);
    std::printf("%-44s %7.1f ms\n", "longest event-loop gap while a call hangs", Ms(hungGap));
    std::printf("%-44s %7.1f ms\n", "Stop command while a call hangs", hungStop);

    // Memory: a long text read again and again, each time as fast as the device takes it.
    form.reset();
    const std::string wav = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/bench_window.wav";
    SetAudioDeviceFactory([wav] { return std::make_unique<TTimedDevice>(std::make_unique<TWavFileAudioDevice>(wav)); });
    form = std::make_unique<TFormCommercialTTS>();
    form->Create();
    form->Dialog()->Show();
    form->WarningShown = true;
    SetText(*form, LongText());
    std::printf("long text: %zu characters\n", LongText().size());
    PumpUntil([] { return false; }, 0.3);
    const long before = ResidentKiB();
    std::printf("before the first reading: resident %7ld KiB\n", before);
    long first = 0;
    for (int i = 0; i < memoryReadings; ++i) {
        form->TextBox.Select(0, 0);
        const auto started = Clock::now();
        SentenceBytes = 0;
        const bool done = ReadThrough(*form, 600);
        if (i == 0) std::printf("the long text is %.0f s of speech\n", double(SentenceBytes.load()) / 32000);
        const long rss = ResidentKiB();
        if (i == 0) first = rss;
        std::printf("reading %2d: %s in %6.2f s, resident %7ld KiB (%+ld since the first), caches %7.1f KiB\n", i + 1,
                    done ? "done" : "NOT DONE", Ms(Clock::now() - started) / 1000, rss, rss - first,
                    CacheBytes(*form) / 1024.0);
    }
    std::printf("growth over %d readings: %+ld KiB; caches (audio files) %.1f KiB\n", memoryReadings,
                ResidentKiB() - before, CacheBytes(*form) / 1024.0);
    form.reset();
    std::remove(wav.c_str());
    DetachUiQueue();
    wxEntryCleanup();
    return 0;
}
