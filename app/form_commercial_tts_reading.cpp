// SPDX-License-Identifier: GPL-3.0-or-later
// The reading commands of the main form (Read / Stop / Continue, pause, continue listening)
// and how the form follows a reading through the events of the synthesis thread and the
// wave output: button states, the highlighted sentence, the progress bar and the
// listening-pause row.

#include <wx/utils.h>

#include "app/form_commercial_tts.h"
#include "app/main_form_template.h"
#include "app/main_form_texts.h"
#include "app/reading_text.h"
#include "app/update_offer.h"
#include "foundation/exceptions.h"
#include "foundation/folders.h"
#include "foundation/host.h"
#include "foundation/memory_stream.h"
#include "foundation/message_box.h"
#include "foundation/registry.h"
#include "foundation/settings_keys.h"
#include "pipeline/wave_file.h"
#include "records/demo_audio.h"
#include "records/narrelo_text.h"
#include "service/local_service.h"

// --- state

bool TFormCommercialTTS::ReadingRuns() const {
    return ReadingThread && !ReadingThread->TerminateRequested() && !ReadingThread->Finished();
}

const char *TFormCommercialTTS::ReadText(TReadText state) const {
    switch (state) {
    case TReadText::Reading: return InterfaceIsEnglish ? "Stop" : "Dur";
    case TReadText::Paused: return InterfaceIsEnglish ? "Continue" : "Devam";
    case TReadText::Idle: break;
    }
    return InterfaceIsEnglish ? "Read" : "Oku";
}

void TFormCommercialTTS::SetReadText(TReadText state) {
    if (ReadButton.HasWindow()) ReadButton.SetAnsiText(ReadText(state), MainFormTexts::ButtonMnemonic(ReadText(state)));
}

void TFormCommercialTTS::SetChoicesEnabled(bool enabled) {
    SpeedButton.SetEnabled(enabled);
    BelirginButton.SetEnabled(enabled);
    AkiciButton.SetEnabled(enabled);
}

bool TFormCommercialTTS::ListeningPauseShown() const {
    return ContinueButton.HasWindow() && ContinueButton.IsVisible();
}

void TFormCommercialTTS::PostForReading(uint32_t serial, std::function<void()> action) {
    std::weak_ptr<bool> alive = alive_;
    Host().Post([this, alive, serial, action = std::move(action)] {
        const std::shared_ptr<bool> living = alive.lock();
        if (!living || !*living || serial != PlayingQueue.Serial()) return;
        try {
            action();
        } catch (const TCustomException &e) {
            e.Show();
        }
    });
}

// --- commands

void TFormCommercialTTS::ReadClicked() {
    wxBusyCursor wait;
    try {
        if (WaveOut.Paused()) {
            WaveOut.Resume();  // OnResume sets the texts
        } else if (ReadingRuns()) {
            StopAndClose();
        } else {
            StartReading();
        }
    } catch (const TCustomException &e) {
        e.Show();
        // The failed state: everything usable again; the Read text stays as it was.
        ReadButton.SetEnabled(true);
        PauseButton.SetEnabled(true);
        SetChoicesEnabled(true);
    }
}

void TFormCommercialTTS::StopAndClose() {
    StopReading();
    ShowIdle();
}

void TFormCommercialTTS::ShowIdle() {
    PauseButton.SetEnabled(false);
    SetReadText(TReadText::Idle);
    ReadButton.SetEnabled(true);
    SetChoicesEnabled(true);
    ProgressBar.SetVisible(false);
    if (ListeningPauseShown()) HideListeningPause();
}

void TFormCommercialTTS::StopReading(bool keepIdleOutputOpen) {
    // From here on whatever the stopped reading posts is stale, the buffers its stop
    // releases among them; the session does not wait for its thread.
    readingSerial_ = PlayingQueue.Start(0);
    Session.Stop(keepIdleOutputOpen);
    ReadingThread = nullptr;
}

void TFormCommercialTTS::StartReading() {
    const bool belirgin = BelirginButton.IsChecked();
    const bool akici = AkiciButton.IsChecked();
    if (!belirgin && !akici) RaiseError(TErrorCategory::Refused, MainFormTexts::ChooseReadingStyle());
    if (!WarningShown) {
        WarningShown = true;
        // The notice says that speech is made by a remote computer over the Internet: true
        // only when the service is not on this machine (the user's own service never is).
        bool remote = true;
        try {
            remote = !ServiceIsOnThisMachine();
        } catch (const TCustomException &) {
            // settings that cannot be read: the reading says so itself
        }
        if (remote) ShowMessageBox(MainFormTexts::Notice(InterfaceIsEnglish), MB_OK);
    }
    {
        TRegistry key(HKEY_CURRENT_USER, settings_keys::Account);
        key.CreateIfMissing = true;
        key.SetOpen(true);
    }

    int32_t selFrom = 0, selTo = 0;
    TextBox.GetSelection(selFrom, selTo);
    const MyString whole = TextBox.GetWholeTextAnsi();
    const TReadingText taken = TakeReadingText(whole.View(), selFrom, selTo);
    if (taken.Text.empty()) RaiseError(TErrorCategory::Refused, MainFormTexts::EmptyText(InterfaceIsEnglish));

    TReadingSession::TReading reading;
    reading.Text.Assign(taken.Text.data(), int32_t(taken.Text.size()));
    reading.IsXml = XmlSwitch.IsChecked();
    if (belirgin) reading.Speaker = 2;
    else if (akici) reading.Speaker = 1;
    else RaiseError(MainFormTexts::NoSelectedSpeaker);
    reading.AudioCache = &AudioCache;
    reading.Listener = this;
    reading.BeforeReading = [this](TDemoSynthesiseThread &thread) { PrepareReading(thread); };

    TextBox.ClearMark();
    StopReading(true);
    // Opened here, on the UI thread, which lives as long as the program: the sound system
    // keeps state for the thread that first uses it, and a reading's thread ends.
    WaveOut.SetActive(true);
    // From here on, events of earlier readings are stale.
    readingSerial_ = PlayingQueue.Start(taken.Offset);
    reading.Serial = readingSerial_;
    // Stop is there from the first moment: nothing the reading waits for (the service, the
    // update check) can keep the user from ending it.
    ReadButton.SetEnabled(true);
    SetReadText(TReadText::Reading);
    PauseButton.SetEnabled(false);
    SetChoicesEnabled(false);
    ProgressBar.SetRange(0, 1);
    ProgressBar.SetPos(0);
    ProgressBar.SetVisible(true);
    Session.Speed = Speed.load();
    ReadingThread = Session.Start(reading);
}

void TFormCommercialTTS::PrepareReading(TDemoSynthesiseThread &thread) {
    // Where no service manager starts the local speech service, the built-in address gets
    // one started now (the first time only; later readings find it running).
    EnsureLocalService();
    FindServerAndOfferUpdate(Client, ServerAddress);
    if (!WarningSoundPlayed) PlayWarningSound(thread);
}

void TFormCommercialTTS::PlayWarningSound(TDemoSynthesiseThread &thread) {
    MyString path = NarreloDataFolder();
    path.Append("/warn.wav");
    TMemoryStream samples;
    uint8_t format[64];
    LoadWaveFile(samples, format, int32_t(sizeof format), path.Text());
    if (Session.PlaySound(thread, samples.Memory(), samples.Size(), WarningSoundTag))
        WarningSoundPlayed = true;
}

void TFormCommercialTTS::PauseClicked() {
    try {
        if (!WaveOut.Paused()) WaveOut.Pause();  // OnPause sets the texts
    } catch (const TCustomException &e) {
        e.Show();
    }
}

void TFormCommercialTTS::ContinueClicked() {
    if (!ReadingThread) return;
    ReadingThread->ContinueListening();
    // The row gives the text box its height back only once, however often this runs.
    if (ListeningPauseShown()) HideListeningPause();
}

// The text box is TextBoxHeight high while the row is hidden and ListeningRowHeight less
// while it shows, set from that height rather than from the box's present one, and taken as
// the box's anchored place, so that neither a resize of the form (which puts anchored
// controls back) nor events in an unexpected order leave the row's button under the text
// box or the text box over the buttons below it.
void TFormCommercialTTS::ShowListeningPause() {
    if (TextBoxHeight <= 0) TextBoxHeight = TextBox.GetHeight();
    TextBox.SetHeight(TextBoxHeight - ListeningRowHeight, true);
    RecaptureAnchor(TextBox);
    ContinueButton.SetTop(TextBox.GetBottom() + 5, true);
    ContinueButton.SetLeft(ReadButton.GetRight() + 40, true);
    ContinueButton.SetVisible(true);
    AttentionText.SetTop(ContinueButton.GetTop(true) + 10, true);
    AttentionText.SetLeft(10, true);
    AttentionText.SetVisible(true);
    // The focus goes to the button: a screen reader announces it, and Space or Enter goes on.
    ContinueButton.SetFocus();
}

void TFormCommercialTTS::HideListeningPause() {
    // Space or Enter on the row's button goes on reading; the keys then stay with the reading
    // command (Stop), not in the text, where a second Space would change the text.
    if (ContinueButton.HasWindow() && ContinueButton.Window()->HasFocus() && ReadButton.HasWindow() &&
        ReadButton.IsEnabled())
        ReadButton.SetFocus();
    ContinueButton.SetVisible(false);
    AttentionText.SetVisible(false);
    if (TextBoxHeight > 0) {
        TextBox.SetHeight(TextBoxHeight, true);
        RecaptureAnchor(TextBox);
    }
}

// The sentence being heard is marked, not selected: Read after a reading reads the whole
// text (or what the user selected) again, and typing never replaces the marked sentence.
void TFormCommercialTTS::Highlight(const TTextRange &range) {
    if (TextBox.HasWindow()) TextBox.Mark(range.Start, range.End());
}

// --- the synthesis thread's events (on the synthesis thread)

void TFormCommercialTTS::OnTextReady(TDemoSynthesiseThread *thread) {
    const int32_t count = thread->CurrentText.load()->Sentences.Count();
    PostForReading(thread->Serial, [this, count] { ProgressBar.SetRange(0, count); });
}

void TFormCommercialTTS::OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) {
    const uint32_t serial = thread->Serial;
    const int32_t index = thread->SentenceIndex;
    // An index outside the text raises "Invalid Index Of List %d" into the thread's guard.
    const TNarreloCumle *sentence = thread->CurrentText.load()->Sentences.Get(index);
    const int32_t start = sentence->Start, length = sentence->Length;
    // Queued before the sound, so that its end can never be heard before it is queued.
    Session.Play(*thread, *audio, uint32_t(index), [this, serial, index, start, length] {
        PostForReading(serial, [this, serial, index, start, length] {
            if (auto range = PlayingQueue.Queued(serial, index, start, length)) Highlight(*range);
        });
    });

    if (thread->WordLimitReached) {
        PostForReading(serial, [this, thread] {
            // The user may have gone on already, or the row may be up.
            if (ReadingThread == thread && thread->WordLimitReached && !ListeningPauseShown())
                ShowListeningPause();
        });
    }
}

void TFormCommercialTTS::OnFinished(TDemoSynthesiseThread *thread) {
    PostForReading(thread->Serial, [this] {
        if (!HasWindow()) return;
        ShowIdle();
    });
}

// --- the wave output's events

void TFormCommercialTTS::OnPlayStart(TWaveOut * /*waveOut*/) {
    PostForReading(readingSerial_, [this] {
        if (!HasWindow()) return;
        PauseButton.SetEnabled(true);
        SetReadText(TReadText::Reading);
        ReadButton.SetEnabled(true);
        SetChoicesEnabled(false);
    });
}

void TFormCommercialTTS::OnPlayEnd(TWaveOut * /*waveOut*/) {
    PostForReading(readingSerial_, [this] {
        if (!HasWindow()) return;
        if (!ReadingRuns()) SetReadText(TReadText::Idle);
        ReadButton.SetEnabled(true);
        SetChoicesEnabled(true);
        TextBox.SetFocus();
    });
}

void TFormCommercialTTS::OnPause(TWaveOut * /*waveOut*/) {
    SetReadText(TReadText::Paused);
    // Space on the pause button leaves the keys on Read, which now says Continue.
    if (PauseButton.HasWindow() && PauseButton.Window()->HasFocus() && ReadButton.HasWindow()) ReadButton.SetFocus();
    PauseButton.SetEnabled(false);
}

void TFormCommercialTTS::OnResume(TWaveOut * /*waveOut*/) {
    if (!HasWindow()) return;
    SetReadText(TReadText::Reading);
    PauseButton.SetEnabled(true);
}

void TFormCommercialTTS::OnBufferDone(TWaveOut * /*waveOut*/, uint32_t tag) {
    const uint32_t serial = readingSerial_;
    PostForReading(serial, [this, serial, tag] {
        if (!TextBox.HasWindow()) return;
        if (auto range = PlayingQueue.Heard(serial, tag)) Highlight(*range);
        ProgressBar.SetPos(PlayingQueue.SentencesHeard());
    });
}
