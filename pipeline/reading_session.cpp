// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/reading_session.h"

#include <algorithm>

#include "foundation/memory_stream.h"
#include "pipeline/ogg_vorbis_decoder.h"
#include "pipeline/speed_change.h"
#include "pipeline/wave_out.h"
#include "records/demo_audio.h"
#include "service/demo_client.h"

TReadingSession::TReadingSession(TDemoClient &client, TWaveOut &waveOut)
    : client_(client), waveOut_(waveOut) {}

TReadingSession::~TReadingSession() {
    StopAndWait();
}

TDemoSynthesiseThread *TReadingSession::Start(const TReading &reading) {
    Reap();
    if (current_) {
        current_->Terminate();
        ending_.push_back(std::move(current_));
    }
    auto thread = std::make_unique<TDemoSynthesiseThread>();
    thread->SetDeleteWhenDone(false);
    if (reading.Listener) thread->Listeners().InsertFirst(reading.Listener);
    thread->WaveOut = &waveOut_;
    thread->Client = &client_;
    thread->AudioCache = reading.AudioCache;
    thread->FileType = 1;
    thread->Text = reading.Text;
    thread->Volume = 10;
    thread->Speed = 10;  // the tempo is changed here, on the sound, never by the service
    thread->IsXml = reading.IsXml;
    thread->Speaker = reading.Speaker;
    thread->Serial = reading.Serial;
    if (reading.BeforeReading) {
        TDemoSynthesiseThread *self = thread.get();
        thread->BeforeReading = [self, before = reading.BeforeReading] { before(*self); };
    }
    thread->After = lastDone_;
    lastDone_ = thread->Done;
    current_ = std::move(thread);
    current_->Resume();
    return current_.get();
}

void TReadingSession::Stop(bool keepIdleOutputOpen) {
    if (current_) {
        current_->Terminate();
        ending_.push_back(std::move(current_));
    }
    {
        // After this, the stopped thread finds itself terminated before it queues anything.
        std::lock_guard<std::mutex> guard(outputLock_);
        if (!keepIdleOutputOpen || waveOut_.QueuedBytes() > 0 || waveOut_.Paused()) {
            // A paused output is let go first: the next reading must not start paused.
            if (waveOut_.Paused() && waveOut_.Active()) waveOut_.Resume();
            waveOut_.SetActive(false);
        }
    }
    Reap();
}

void TReadingSession::WaitCurrent() {
    if (current_) current_->WaitFor();
}

void TReadingSession::StopAndWait() {
    if (current_) {
        current_->Terminate();
        ending_.push_back(std::move(current_));
    }
    for (auto &thread : ending_) thread->Terminate();
    // In the order they were started: each one waits for the one before it anyway.
    for (auto &thread : ending_) thread->StopAndWait();
    ending_.clear();
}

void TReadingSession::Reap() {
    ending_.erase(std::remove_if(ending_.begin(), ending_.end(),
                                 [](const std::unique_ptr<TDemoSynthesiseThread> &thread) {
                                     return thread->Finished();
                                 }),
                  ending_.end());
}

bool TReadingSession::Play(TDemoSynthesiseThread &thread, TDemoAudio &audio, uint32_t tag,
                           const std::function<void()> &beforeQueue) {
    if (thread.TerminateRequested() || audio.Data.DataSize() == 0) return false;
    TMemoryStream pcm;
    DecodeOggVorbis(static_cast<const uint8_t *>(audio.Data.Memory()), audio.Data.DataSize(), pcm);
    if (ReleaseDecodedFiles) audio.Data.Clear();
    const int32_t speed = Speed;
    TMemoryStream changed;
    const TMemoryStream *played = &pcm;
    if (speed != 10 && pcm.DataSize() > 0) {
        ChangeSpeed(pcm.Memory(), pcm.DataSize(), 10 - speed, changed);
        played = &changed;
    }
    // An item without sound is passed over: the wave output refuses an empty block, which
    // would end the whole reading.
    if (played->DataSize() == 0) return false;
    std::lock_guard<std::mutex> guard(outputLock_);
    return QueueLocked(thread, played->Memory(), played->DataSize(), tag, beforeQueue);
}

bool TReadingSession::PlaySound(TDemoSynthesiseThread &thread, const void *pcm, int32_t size,
                                uint32_t tag) {
    if (size <= 0) return false;
    std::lock_guard<std::mutex> guard(outputLock_);
    return QueueLocked(thread, pcm, size, tag, {});
}

bool TReadingSession::QueueLocked(TDemoSynthesiseThread &thread, const void *pcm, int32_t size,
                                  uint32_t tag, const std::function<void()> &beforeQueue) {
    if (thread.TerminateRequested()) return false;
    if (beforeQueue) beforeQueue();
    waveOut_.OpenAndWrite(pcm, size, tag);
    return true;
}
