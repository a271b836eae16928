// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/demo_synthesise_thread.h"

#include <chrono>
#include <memory>

#include "foundation/count_words.h"
#include "foundation/exceptions.h"
#include "pipeline/wave_out.h"
#include "records/demo_audios.h"
#include "records/narrelo_text.h"
#include "service/demo_client.h"
#include "service/sentence_procedures.h"

namespace {

// The longest each of the three waits goes without looking again (each is also woken
// by what it waits for).
constexpr std::chrono::milliseconds BackPressureStep{5};
constexpr std::chrono::milliseconds ListeningPauseStep{30};
constexpr std::chrono::milliseconds DrainStep{10};

int32_t IndexOf(const TCustomList &list, const void *entry) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.Get(i) == entry) return i;
    return -1;
}

}  // namespace

void TDemoSynthesiseThread::Terminate() {
    cancelled_ = true;
    TThread::Terminate();
    WakePause();
}

void TDemoSynthesiseThread::ContinueListening() {
    WordCount = 0;
    WordLimitReached = false;
    WakePause();
}

void TDemoSynthesiseThread::WakePause() {
    { std::lock_guard<std::mutex> ordered(pauseLock_); }
    pauseChanged_.notify_all();
}

void TDemoSynthesiseThread::Execute() {
    // Not interrupted by Terminate: the thread before was stopped too and ends within a
    // cancel period, and until it has, this thread's Done must not be set.
    if (After) After->Wait();
    // The client looks at this thread's flag while this thread uses it, and never after.
    struct TCancelScope {
        TDemoClient *client;
        ~TCancelScope() {
            if (client) client->Cancel = nullptr;
        }
    } cancelScope{Client};
    if (Client) Client->Cancel = &cancelled_;
    try {
        if (BeforeReading && !TerminateRequested()) BeforeReading();
        // A stopped reading goes straight to OnFinished: queued sound is the owner's to drop.
        if (ReadSentences()) Drain();
    } catch (const TCustomException &e) {
        if (!TerminateRequested()) {
            e.Show();
            Drain();
        }
    }
    listeners_.OnFinished(this);
}

void TDemoSynthesiseThread::Ended() noexcept {
    // Also when Execute never ran: Done says that every thread before has ended too.
    if (After) After->Wait();
    Done->Set();
}

bool TDemoSynthesiseThread::ReadSentences() {
    if (TerminateRequested()) return false;
    SentenceIndex = 0;
    WordCount = 0;
    WordLimitReached = false;
    // Without these the reading would crash instead of failing with a message.
    if (!Client) RaiseError("DemoClient not assigned");
    if (!AudioCache) RaiseError("AudioCache not assigned");

    TNarreloText *text = GetTextSentences(*Client, Text, IsXml, Speaker);
    CurrentText = text;
    listeners_.OnTextReady(this);

    for (int32_t j = 0; j < text->Sentences.Count(); ++j) {
        if (TerminateRequested()) return false;
        if (!WaitForQueueRoom()) return false;
        TNarreloCumle *sentence =
            GetSentenceAudios(*Client, *text->Sentences.Get(j), Speaker, Volume, Speed, FileType);
        if (!HandOutAudios(sentence->Audios)) return false;
        // Also past a sentence that yielded nothing playable.
        ++SentenceIndex;
    }
    return true;
}

bool TDemoSynthesiseThread::HandOutAudios(TDemoAudios &audios) {
    for (int32_t k = 0; k < audios.Count(); ++k) {
        if (TerminateRequested()) return false;
        TDemoAudio *cached = CachedAudioWithBytes(*audios.Get(k));
        WordLimitReached = WordCount >= WordLimit;
        if (cached) listeners_.OnAudio(this, cached);
        if (WordLimitReached) ListeningPause();
    }
    return true;
}

TDemoAudio *TDemoSynthesiseThread::CachedAudioWithBytes(TDemoAudio &audio) {
    // Looked up with the values the service put into the item, not this reading's settings.
    const int32_t found = FindAudio(*AudioCache, audio.Text, audio.IsXml, audio.Speaker,
                                    audio.Volume, audio.Speed, audio.FileType);
    TDemoAudio *cached;
    if (found >= 0) {
        cached = AudioCache->Get(found);
    } else {
        std::unique_ptr<TDemoAudio> copy(AudioCache->CreateItem());
        copy->Assign(audio);
        AudioCache->Add(copy.get());
        cached = copy.release();
    }
    if (cached->Data.DataSize() > 0) return cached;  // no new words: heard before or sent along

    Client->LoadSynthesisedFile(cached->Data, audio.FileId.Text() ? audio.FileId.Text() : "");
    if (cached->Data.DataSize() > 0) {
        WordCount += CountWords(cached->SpokenText.Text(), cached->SpokenText.Length());
        return cached;
    }
    // Nothing to play: the cache keeps no item without bytes.
    const int32_t index = IndexOf(*AudioCache, cached);
    if (index >= 0) AudioCache->Delete(index);
    delete cached;
    return nullptr;
}

bool TDemoSynthesiseThread::WaitForQueueRoom() {
    while (WaveOut && WaveOut->QueuedBytes() > QueueLimit) {
        if (TerminateRequested()) return false;
        WaveOut->WaitForQueuedAtMost(QueueLimit, BackPressureStep);
    }
    return true;
}

void TDemoSynthesiseThread::ListeningPause() {
    {
        std::unique_lock<std::mutex> guard(pauseLock_);
        while (WordLimitReached && !TerminateRequested()) pauseChanged_.wait_for(guard, ListeningPauseStep);
    }
    // Also after termination: the next check of TerminateRequested ends the reading.
    WordCount = 0;
    WordLimitReached = false;
}

void TDemoSynthesiseThread::Drain() {
    while (WaveOut && WaveOut->Active() && WaveOut->QueuedBytes() > 0 && !TerminateRequested())
        WaveOut->WaitForQueuedAtMost(0, DrainStep);
}
