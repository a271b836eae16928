// SPDX-License-Identifier: GPL-3.0-or-later
// narrelo-say: reads Turkish text aloud from the command line: the reading pipeline of the
// window (synthesis thread, decoding, speed change, wave output) without windows.
//
//   narrelo-say [options] [TEXT...]      (narrelo-say --help lists the options)
//
// The server is --server URL, or found as the window finds it (DemoServer=URL, the
// settings, the server list, the built-in address). The text comes as UTF-8 (arguments,
// --file or standard input) and is read as Windows-1254 the way the service reads it
// (currency signs by name, symbols and emoji dropped); letters of other scripts are left out
// and a warning says how many. The
// sound goes to the sound device, or with --wav to a WAVE file (exactly the PCM that would
// be played, written as fast as the service answers), or with --ogg to an Ogg Vorbis
// file. When standard input is a terminal and the sound is played, the reading stops after every 50 new words until Enter is
// pressed (--no-pause: never). Progress and messages go to standard error.
//
// Exit status: 0 everything was read; 1 the reading failed (the message is shown and the
// sound already queued plays out first); 2 wrong usage; 129 SIGHUP, 130 Ctrl-C and 143
// SIGTERM, which stop the sound device at once and a file or stream after the sentence
// being written.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/narrelo_say/ogg_file_device.h"
#include "app/narrelo_say/say_input.h"
#include "app/narrelo_say/say_options.h"
#include "app/narrelo_say/say_reading.h"
#include "foundation/cmd_parameters.h"
#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/host.h"
#include "foundation/message_box.h"
#include "foundation/thread.h"
#include "pipeline/demo_synthesise_thread.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/reading_session.h"
#include "pipeline/wave_out.h"
#include "platform/audio_device_wav.h"
#include "platform/ui_queue.h"
#include "records/demo_audios.h"
#include "records/narrelo_text.h"
#include "service/demo_client.h"
#include "service/local_service.h"
#include "service/sentence_procedures.h"
#include "service/server_addresses.h"
#include "service/server_discovery.h"

#ifndef NARRELO_VERSION
#define NARRELO_VERSION "unknown"
#endif

namespace {

constexpr int ExitRead = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int ExitHungUp = 129;        // 128 + SIGHUP
constexpr int ExitInterrupted = 130;   // 128 + SIGINT
constexpr int ExitTerminated = 143;    // 128 + SIGTERM

// The bound of a WAVE stream's data and, for a file, where it becomes RF64; a test may set a
// smaller one in NARRELO_SAY_TEST_WAV_LIMIT rather than write 4 GiB.
uint64_t WavDataLimit() {
    if (const char *test = std::getenv("NARRELO_SAY_TEST_WAV_LIMIT"); test && *test) {
        char *end = nullptr;
        const unsigned long long value = std::strtoull(test, &end, 10);
        if (end && *end == '\0' && value > 0 && value < TWavFileAudioDevice::StreamDataLimit) return value & ~1ull;
    }
    return TWavFileAudioDevice::StreamDataLimit;
}

// Set by the SIGINT, SIGTERM and SIGHUP handlers, read by the main thread. All stop the
// reading the same way (whole sentences kept, a WAVE header that matches its data, an Ogg
// file with its end); only the exit status tells them apart. A second signal stops at once
// without waiting for the sentence being written to end.
std::atomic<int> signalCount{0};
std::atomic<bool> interrupted{false};
std::atomic<int> stopSignal{SIGINT};

extern "C" void OnInterrupt(int signal) {
    stopSignal = signal;
    interrupted = true;
    ++signalCount;
}

int StopExitStatus() {
    switch (stopSignal.load()) {
    case SIGTERM: return ExitTerminated;
    case SIGHUP: return ExitHungUp;
    default: return ExitInterrupted;
    }
}

// Whether standard output was closed by the caller (`>&-`): sound sent there goes nowhere.
bool standardOutputClosed = false;

// Descriptors 0-2 closed by the caller (`2>&-`) would be handed to the first files the
// program opens, so progress lines would land in the WAVE file: keep them taken by /dev/null.
void KeepStandardDescriptorsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (fd == STDOUT_FILENO) standardOutputClosed = true;
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened < 0) std::_Exit(ExitFailed);
        if (opened != fd) {  // cannot happen while lower descriptors are open; be sure anyway
            dup2(opened, fd);
            close(opened);
        }
    }
}

void InstallSignals() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking read returns and sees the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or ssh session: the reading ends as on SIGTERM, its file whole.
    sigaction(SIGHUP, &action, nullptr);
    // A service that hangs up mid-request is a failed call, not the end of the program.
    signal(SIGPIPE, SIG_IGN);
}

// What the service adds to its refusals of a sentence too long to speak (too many words to
// say, or too much speech for one item).
constexpr std::string_view TooLongAdvice = "split it into sentences";

// The port of an http URL ("http://host:port/path"; 80 when none is given).
std::string PortOf(const std::string &url) {
    std::string_view rest(url);
    if (const size_t scheme = rest.find("://"); scheme != std::string_view::npos) rest.remove_prefix(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    const size_t bracket = rest.rfind(']');
    const size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket)) return "80";
    return std::string(rest.substr(colon + 1));
}

// What narrelo-say says, after the service's words, when a text read as XML is not XML.
constexpr const char *XmlOptionAdvice =
    "The text is read as XML because --xml was given; for a plain text, leave --xml out.";

// narrelo-say's host: the window's seam without a window. A message is written to standard
// error; while a reading runs, through the reading, which takes its progress line away
// first. Nobody answers a question with Yes. The rest (the UI queue served by the main
// thread, the desktop, the end of the process) is the default host's.
class TSayHost : public THost {
public:
    int ShowMessage(const char *text, int style) override {
        TSayReading *reading = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock_);
            reading = reading_;
            // The service refusing a sentence as too long to speak: the reading cuts it
            // itself, and shows the message only when it cannot.
            if (reading && std::string_view(text).find(TooLongAdvice) != std::string_view::npos) {
                tooLong_ = text;
                return style == MB_YESNO ? IDNO : IDOK;
            }
            if (reading) shown_ = true;
        }
        // The service's advice for a text that is not XML speaks of the window's XML switch;
        // here it is an option.
        std::string shown = text;
        for (const bool english : {false, true}) {
            const std::string_view advice = XmlSwitchAdvice(english);
            if (const size_t at = shown.find(advice); at != std::string::npos)
                shown.replace(at, advice.size(), XmlOptionAdvice);
        }
        // The client adds how to start the local service whenever nothing answers on this
        // machine; it only fits the address the local service listens on.
        if (!localAdviceFits_.load())
            for (const bool english : {false, true}) {
                const std::string advice = "\r\n\r\n" + cp1254::FromUtf8(LocalServiceAdvice(english));
                if (const size_t at = shown.find(advice); at != std::string::npos) shown.erase(at, advice.size());
            }
        if (!reading) return THost::ShowMessage(shown.c_str(), style);
        reading->Print(cp1254::ToUtf8(shown));
        return style == MB_YESNO ? IDNO : IDOK;
    }

    // Messages go through `reading` from now on (null: straight to standard error again).
    void PrintThrough(TSayReading *reading) {
        std::lock_guard<std::mutex> guard(lock_);
        reading_ = reading;
        shown_ = false;
    }
    // Whether the reading's server is at the local service's port (else its advice is left
    // out of messages).
    void SetLocalAdviceFits(bool fits) { localAdviceFits_ = fits; }
    // A message was shown through the reading since PrintThrough.
    bool MessageShown() const {
        std::lock_guard<std::mutex> guard(lock_);
        return shown_;
    }
    // The refusal of a sentence as too long to speak held back since the last call (empty:
    // none; Windows-1254).
    std::string TakeTooLong() {
        std::lock_guard<std::mutex> guard(lock_);
        return std::exchange(tooLong_, std::string());
    }

private:
    mutable std::mutex lock_;
    TSayReading *reading_ = nullptr;  // lock_
    bool shown_ = false;              // lock_
    std::string tooLong_;             // lock_
    std::atomic<bool> localAdviceFits_{true};
};

TSayHost &SayHost() {
    // Installed once at the start and kept to the end: threads still running at exit may
    // show a message.
    static TSayHost *host = new TSayHost;
    return *host;
}

int UsageError(const std::string &text) {
    std::fprintf(stderr, "narrelo-say: %s\nTry 'narrelo-say --help'.\n", text.c_str());
    return ExitUsage;
}

// --server, else where the window would look (DemoServer=URL on the command line, the
// settings, the server list, the built-in address). Raises what the settings store raises.
std::string ServerAddress(const TSayOptions &options) {
    if (!options.Server.empty()) return options.Server;
    // The built-in local service is started when nothing answers there (and no other
    // server is named).
    const TLocalService local = EnsureLocalService();
    if (local.State == TLocalServiceState::Started && !options.Quiet)
        std::fprintf(stderr, "narrelo-say: started the local speech service (%s, process %d, on %s)\n",
                     local.Program.c_str(), int(local.Pid), local.Socket.c_str());
    if (!local.Error.empty()) std::fprintf(stderr, "narrelo-say: %s\n", local.Error.c_str());
    else if (local.State == TLocalServiceState::Missing || local.State == TLocalServiceState::Failed)
        std::fprintf(stderr, "narrelo-say: %s\n", LocalServiceAdvice(true).c_str());
    ServerAddressLookup lookup;
    MyString address;
    FindServerAddress(lookup, address);
    return std::string(address.View());
}

// Waits for a line on standard input, serving the UI queue, until Enter, end of input,
// Ctrl-C or the end of the reading. True when the reading may go on.
bool WaitForEnter(const TDemoSynthesiseThread &thread) {
    for (;;) {
        if (interrupted || thread.Finished()) return false;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, 50);
        ProcessMessages();
        if (ready <= 0) continue;
        char c;
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n == 1 && c != '\n') continue;  // the rest of the line
        if (n < 0 && errno == EINTR) continue;
        return true;  // Enter, or the end of input (nobody left to ask)
    }
}

// Ends the reading on a signal or at a stream's bound. Sound written to a file or stream
// ends on a whole sentence: no item of a later sentence is queued, and the items still due
// of the sentence being written are waited for (a minute at most; a further signal ends the
// wait). Then at once: no more sound is queued, what is queued is dropped, and the output is
// closed with its header sealed (a service call in progress is not waited for).
void StopOnWholeSentence(TReadingSession &session, TSayReading &reading, TDemoSynthesiseThread *thread,
                         bool toFile) {
    if (toFile && thread) {
        const int32_t last = reading.StopAfterCurrentSentence();
        const int signals = signalCount.load();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!thread->Finished() && thread->SentenceIndex.load() <= last && signalCount.load() == signals &&
               std::chrono::steady_clock::now() < limit) {
            UiQueue().Wait(std::chrono::milliseconds(20), [&] { return thread->Finished(); });
            ProcessMessages();
        }
    }
    try {
        session.Stop();
    } catch (const TCustomException &) {
        // Ending anyway: the process takes the device with it.
    }
}

// The output's file, when it is the file the text is read from (also through a link or a
// redirection): a reading would truncate its own text and read its sound back as text.
// Empty otherwise, or when there is no such file yet.
std::string SameInputAndOutput(const TSayOptions &options) {
    const std::optional<std::string> &output = options.WavFile ? options.WavFile : options.OggFile;
    if (!output || options.Text) return {};
    const std::string input = options.File.value_or("-");
    struct stat in {}, out {};
    if ((input == "-" ? fstat(STDIN_FILENO, &in) : stat(input.c_str(), &in)) != 0) return {};
    if ((*output == "-" ? fstat(STDOUT_FILENO, &out) : stat(output->c_str(), &out)) != 0) return {};
    // Devices (a terminal, /dev/null) are no text that could be overwritten.
    if (S_ISCHR(in.st_mode) || in.st_dev != out.st_dev || in.st_ino != out.st_ino) return {};
    return *output == "-" ? (input == "-" ? "standard input" : input) : *output;
}

bool IsBlankText(const std::string &text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
}

// The texts that read on from the sentence of `text` the service refused as too long to
// speak (the thread's current one): its pieces (CutOverlongSentence, at most half its length
// each, so that a piece refused again is cut finer), then the rest of `text` after it.
// Empty when it cannot be cut: an XML text (its sentences are elements), or a sentence of
// a few words.
std::vector<std::string> ReadOnAfterOverlong(const TDemoSynthesiseThread &thread, const std::string &text,
                                             bool isXml) {
    constexpr size_t Smallest = 64;
    const TNarreloText *parsed = thread.CurrentText;
    const int32_t index = thread.SentenceIndex;
    if (isXml || !parsed || index < 0 || index >= parsed->Sentences.Count()) return {};
    const TNarreloCumle &sentence = *parsed->Sentences.Get(index);
    if (sentence.Start < 0 || sentence.Length <= 0 ||
        size_t(sentence.Start) + size_t(sentence.Length) > text.size())
        return {};
    const std::string_view refused = std::string_view(text).substr(size_t(sentence.Start), size_t(sentence.Length));
    if (refused.size() <= Smallest) return {};
    std::vector<std::string> texts =
        CutOverlongSentence(refused, std::max(Smallest, std::min(OverlongPieceLimit, refused.size() / 2)));
    std::string rest = text.substr(size_t(sentence.Start) + size_t(sentence.Length));
    if (!IsBlankText(rest)) texts.push_back(std::move(rest));
    return texts;
}

// The reading itself, after the options are known: `text` first, then every further part
// of `parts`, one after the other on the same wave output. Returns the exit status.
int Read(const TSayOptions &options, TTextParts &parts, std::string text) {
    const bool toFile = options.WavFile || options.OggFile;
    const auto counters = std::make_shared<TWavFileCounters>();
    const uint64_t wavLimit = WavDataLimit();
    if (options.WavFile) {
        const std::string path = *options.WavFile;
        SetAudioDeviceFactory(
            [path, counters, wavLimit] { return std::make_unique<TWavFileAudioDevice>(path, counters, wavLimit); });
    } else if (options.OggFile) {
        const std::string path = *options.OggFile;
        SetAudioDeviceFactory([path] { return std::make_unique<TOggFileAudioDevice>(path); });
    }
    // Not when the text itself comes from the terminal: Enter would take a line of it.
    const bool textFromStandardInput = !options.Text && options.File.value_or("-") == "-";
    const bool askToGoOn = !options.NoPause && !toFile && !textFromStandardInput && isatty(STDIN_FILENO);
    const bool inPlace = isatty(STDERR_FILENO);
    // The decoder's notes would break into the progress line: written as they come only
    // with --verbose, else counted once at the end.
    SetDecoderWarningsShown(options.Verbose);

    TWaveOut waveOut;
    TDemoClient client;
    TReadingSession session(client, waveOut);
    session.Speed = options.Speed;
    // narrelo-say reads its text once: an item's file is not kept once it is decoded, so a
    // reading of hours holds no more sound than what is queued.
    session.ReleaseDecodedFiles = true;
    TSayReading reading(session, waveOut, !askToGoOn, !options.Quiet, inPlace);
    if (options.WavFile) {
        // A WAVE stream (a pipe, a file appended to) ends before its readers stop counting,
        // on a whole sentence: a sentence begins only while there is room for the longest one
        // (the service says at most 48 KiB of words in one: about an hour of sound).
        reading.RoomForSentence = [counters, wavLimit] {
            const uint64_t margin = std::min<uint64_t>(uint64_t(256) << 20, wavLimit / 4);
            return !counters->Stream.load() || counters->DataBytes.load() + margin <= wavLimit;
        };
    }
    waveOut.Listeners().InsertFirst(&reading);

    // Messages of the reading (shown on the synthesis thread) go to standard error, after
    // the progress line is taken away.
    TSayHost &host = SayHost();
    host.PrintThrough(&reading);

    std::string endpoint;
    try {
        endpoint = ServerAddress(options);
        // Opened here rather than by the first audio item: a machine without a sound device
        // (or a WAVE file that cannot be created) fails before the service is asked, and the
        // sound system's per-thread state belongs to this thread, which lives to the end.
        waveOut.SetActive(true);
    } catch (const TCustomException &e) {
        ShowMessageBox(e.Message(), MB_OK);
        if (e.Category() == TErrorCategory::NoDevice)
            reading.Print("narrelo-say: --wav FILE writes the sound to a file instead");
        host.PrintThrough(nullptr);
        return ExitFailed;
    }
    client.soap_endpoint = endpoint.c_str();
    // The user's own service (its socket) or the built-in address's port: the advice to start
    // the local service fits; a server named at another port is not the local service.
    host.SetLocalAdviceFits(!UnixSocketOf(endpoint.c_str()).empty() ||
                            PortOf(endpoint) == PortOf(std::string(BuiltInServerAddress().View())));

    bool complete = true;
    // Texts to read before the next part: the pieces of a sentence the service refused as
    // too long, then the rest of its part.
    std::deque<std::string> pending;
    int64_t offset = 0;  // bytes of the text before the part being read
    for (;;) {
        // One part's audio is kept only while that part is read: a book streamed for hours
        // holds the sound of one part at a time.
        TDemoAudios audioCache;
        TReadingSession::TReading part;
        part.Text = text.c_str();
        part.IsXml = options.IsXml;
        part.Speaker = options.Speaker;
        part.AudioCache = &audioCache;
        part.Listener = &reading;
        reading.BeginPart(offset, parts.EstimatedTotal(), pending.empty() && parts.AtEnd());
        TDemoSynthesiseThread *thread = session.Start(part);

        while (!thread->Finished()) {
            if (interrupted || reading.OutOfRoom()) break;
            if (askToGoOn && thread->WordLimitReached) {
                reading.DrawProgress();
                reading.Print("-- 50 new words: press Enter to go on (Ctrl-C stops) --");
                if (WaitForEnter(*thread)) {
                    thread->ContinueListening();
                }
                continue;
            }
            reading.DrawProgress();
            UiQueue().Wait(std::chrono::milliseconds(50), [&] { return thread->Finished(); });
            ProcessMessages();
        }

        if (interrupted) {
            StopOnWholeSentence(session, reading, thread, toFile);
            reading.ClearProgress();
            std::fprintf(stderr, "narrelo-say: stopped\n");
            std::fflush(stderr);
            EndProcessNow(StopExitStatus());
        }
        if (reading.OutOfRoom()) {
            StopOnWholeSentence(session, reading, thread, toFile);
            reading.Print("narrelo-say: a WAVE stream holds at most 4 GiB of sound: the reading stops "
                          "after the last whole sentence before that; write to a file, or use --ogg, "
                          "for a longer reading");
            complete = false;
            break;
        }

        session.WaitCurrent();
        reading.DrawProgress();
        if (const std::string tooLong = host.TakeTooLong(); !tooLong.empty()) {
            // The sentences before the refused one are read; it is read in pieces, then
            // the rest of its part.
            std::vector<std::string> readOn = ReadOnAfterOverlong(*thread, text, options.IsXml);
            if (readOn.empty() || host.MessageShown()) {
                reading.Print(cp1254::ToUtf8(tooLong));
                complete = false;
                break;
            }
            pending.insert(pending.begin(), std::make_move_iterator(readOn.begin()),
                           std::make_move_iterator(readOn.end()));
            const TNarreloText *parsed = thread->CurrentText;
            offset += parsed->Sentences.Get(thread->SentenceIndex)->Start;
        } else {
            const bool partComplete = !host.MessageShown() && reading.SentenceCount() >= 0 &&
                                      thread->SentenceIndex == reading.SentenceCount();
            if (!partComplete) {
                complete = false;
                break;
            }
            offset += int64_t(text.size());
        }
        bool more = false;
        if (!pending.empty()) {
            text = std::move(pending.front());
            pending.pop_front();
            more = true;
        }
        try {
            while (!more && parts.Next(text)) more = !IsBlankText(text);
        } catch (const TCustomException &e) {
            reading.Print("narrelo-say: " + cp1254::ToUtf8(e.Message()));
            complete = false;
        }
        if (!more) break;
    }

    // The one progress line of the whole reading stays on the terminal.
    if (complete) reading.Finish();
    if (reading.SentenceCount() >= 0) reading.DrawProgress();
    if (inPlace && !options.Quiet && reading.SentenceCount() >= 0) std::fprintf(stderr, "\n");
    // The device has taken the last samples but may not have sounded them yet.
    if (!toFile && reading.Queued() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    try {
        waveOut.SetActive(false);
    } catch (const TCustomException &e) {
        reading.Print(cp1254::ToUtf8(e.Message()));
        host.PrintThrough(nullptr);
        return ExitFailed;
    }
    host.PrintThrough(nullptr);
    if (interrupted) {
        // Between parts, while the input was awaited: what was read is whole.
        std::fprintf(stderr, "narrelo-say: stopped\n");
        return StopExitStatus();
    }
    if (const TDecoderWarningCounts notes = DecoderWarningCounts();
        !options.Quiet && !options.Verbose && (notes.ClippedSteps > 0 || notes.CorruptPages > 0)) {
        std::string text = "narrelo-say: note: the audio decoder";
        if (notes.ClippedSteps > 0)
            text += " clipped samples past full scale " + std::to_string(notes.ClippedSteps) + " time" +
                    (notes.ClippedSteps == 1 ? "" : "s");
        if (notes.CorruptPages > 0)
            text += std::string(notes.ClippedSteps > 0 ? " and" : "") + " skipped " +
                    std::to_string(notes.CorruptPages) + " damaged page" + (notes.CorruptPages == 1 ? "" : "s");
        std::fprintf(stderr, "%s (--verbose shows each)\n", text.c_str());
    }
    if (parts.LeftOut() > 0 && !options.Quiet)
        std::fprintf(stderr,
                     "narrelo-say: warning: %d character%s without a Windows-1254 form "
                     "left out\n",
                     parts.LeftOut(), parts.LeftOut() == 1 ? "" : "s");
    return complete ? ExitRead : ExitFailed;
}

}  // namespace

int main(int argc, char **argv) {
    KeepStandardDescriptorsOpen();
    InstallSignals();
    InitCmdParameters(argc, argv);
    SetMainThreadId(std::this_thread::get_id());
    InstallHost(&SayHost());

    TSayOptions options;
    try {
        options = ParseSayOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError &e) {
        return UsageError(e.Text);
    }
    if (options.Help) {
        std::fputs(SayUsage, stdout);
        return ExitRead;
    }
    if (options.Version) {
        std::printf("narrelo-say %s\n", NARRELO_VERSION);
        return ExitRead;
    }

    const bool toStandardOutput = options.WavFile.value_or("") == "-" || options.OggFile.value_or("") == "-";
    if (toStandardOutput && standardOutputClosed) {
        std::fprintf(stderr, "narrelo-say: standard output is closed: the sound would go nowhere\n");
        return ExitFailed;
    }
    if (const std::string same = SameInputAndOutput(options); !same.empty())
        return UsageError(same + " is both the text and the output: writing the sound would destroy the text");

    std::unique_ptr<TTextParts> parts;
    std::string first;
    try {
        parts = options.Text ? std::make_unique<TTextParts>(*options.Text)
                             : std::make_unique<TTextParts>(options.File.value_or("-"), interrupted);
        parts->SetXml(options.IsXml);
        // Blank parts (a text of spaces, NULs read as blanks) ask the service nothing.
        bool found = false;
        while (!found && !interrupted && parts->Next(first)) found = !IsBlankText(first);
        if (interrupted) return StopExitStatus();
        if (!found) return UsageError("no text to read");
        if (parts->ReadAsWindows1254() && !options.Quiet)
            std::fprintf(stderr, "narrelo-say: warning: the text is not UTF-8 (nor UTF-16 with a byte order "
                                 "mark): read as Windows-1254\n");
    } catch (const TCustomException &e) {
        std::fprintf(stderr, "narrelo-say: %s\n", cp1254::ToUtf8(e.Message()).c_str());
        return ExitFailed;
    }
    return Read(options, *parts, std::move(first));
}
