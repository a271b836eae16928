// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFormCommercialTTS: the client's main reading window (template 130, main_form_template.h):
// the text box, Read / pause / speed buttons, the reading style, the XML switch, the web
// links, the progress bar and the status bar with the word count. It owns, for its whole
// life, the service client, the wave output, the audio cache, the playing queue and the
// reading session (pipeline/reading_session.h), whose current thread is ReadingThread.
//
// Threads. The commands run on the UI thread and never wait for the service: finding the
// service, the update check with its offer (app/update_offer.h) and the warning sound run on
// the reading's own thread (before it asks for the text), and Stop abandons a reading instead of waiting for its call. The
// synthesis thread calls OnTextReady, OnAudio and OnFinished; the wave output's writers and
// play thread call OnPlayStart, OnBufferDone and OnPlayEnd, the last two possibly with the
// wave output's lock held. None of them touches a widget or the playing queue: they do their
// own work (OnAudio has the session decode, change the speed and queue the sound) and post
// the rest to the UI thread (through the host, foundation/host.h). Each posted call carries the serial of the reading it belongs
// to and the form's life token, so that calls that arrive after their reading was stopped or
// replaced, or after the form is gone, do nothing.
//
// The XML commands and the speed pop-up (app/form_commercial_tts_forms.cpp), kept apart from
// the reading code:
// - the XML switch (1034), the XML menu button (1035) and menu commands 20000-20500 reach
//   OnXmlSwitch, OnXmlMenu and OnXmlCommand, which hand them to XmlCommands;
// - the speed button (1014) reaches OnSpeedButton, which shows or hides SpeedPopup; the
//   pop-up's OnSpeedChanged sets its label and calls SetSpeedPosition, which stores the speed
//   that OnAudio reads and sets the speed button's text.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/form_speed.h"
#include "app/playing_queue.h"
#include "app/xml_sentence_commands.h"
#include "foundation/my_string.h"
#include "pipeline/demo_synthesise_thread.h"
#include "pipeline/demo_synthesise_thread_events.h"
#include "pipeline/reading_session.h"
#include "pipeline/wave_out.h"
#include "records/demo_audios.h"
#include "service/demo_client.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/link_ctrl.h"
#include "ui/progress_ctrl.h"
#include "ui/static_label.h"
#include "ui/status_bar.h"

// Read button texts (English / Turkish).
enum class TReadText { Idle, Reading, Paused };

class TFormCommercialTTS : public TForm,
                           public TEventHandler_DemoSynthesiseThread,
                           public TEventHandler_WaveOut,
                           public TEventHandler_FormSpeed {
public:
    // The blink timer and its period.
    static constexpr int32_t BlinkTimerId = 1500;
    // The text is kept (see kept_text.h) this long after the last change.
    static constexpr int32_t KeepTextTimerId = 1501;
    static constexpr int32_t KeepTextDelayMs = 1000;
    static constexpr int32_t BlinkPeriodMs = 500;
    // Attention colours (red in the low byte): red and silver.
    static constexpr uint32_t AttentionRed = 255;
    static constexpr uint32_t AttentionSilver = 12632256;
    // Characters the user may type into the text box.
    static constexpr int32_t TextLimit = 4096;
    // How much the listening-pause row takes from the text box, in pixels.
    static constexpr int32_t ListeningRowHeight = 40;
    // The text box's height while the listening row is hidden, in pixels; taken when the
    // row first shows (0 before).
    int32_t TextBoxHeight = 0;
    // The status bar's part for notes.
    static constexpr int32_t NotePart = 3;
    // Width of the continue button, in pixels.
    static constexpr int32_t ContinueButtonWidth = 240;

    // Reads the interface language from the settings store and registers with the wave
    // output. The window is made by ShowModal (start-up) or Create (tests).
    TFormCommercialTTS();
    // Stops a running reading, then closes the wave output.
    ~TFormCommercialTTS() override;

    // --- fields, in the order the form keeps them
    // The warning sound was played in this run; read and written by the readings' threads,
    // one after the other.
    bool WarningSoundPlayed = false;
    uint32_t AttentionColor = AttentionRed;  // UI thread only
    // The speed slider position 0-20, 10 normal. Written on the UI thread, handed to the
    // session, which reads it for every sound item: a change applies from the next one.
    std::atomic<int32_t> Speed{10};
    // The session's current reading (owned by Session) or none; null from the moment the
    // reading is stopped.
    TDemoSynthesiseThread *ReadingThread = nullptr;
    TDemoAudios AudioCache;
    TDemoClient Client;
    TPlayingQueue PlayingQueue;  // UI thread only
    TXmlSentenceCommands XmlCommands{*this};  // the XML menu and its submenu, and their commands
    TStatusBar StatusBar;
    bool InterfaceIsEnglish = false;
    bool WarningShown = false;   // the one-time notice was shown in this run
    TWaveOut WaveOut;
    MyString ServerAddress;      // the client's endpoint; written by the reading's thread
    TReadingSession Session{Client, WaveOut};  // after the client and the wave output it uses

    // The controls of template 130.
    TEdit TextBox;                   // 1000
    TButton ReadButton;              // 1007
    TButton PauseButton;             // 1012
    TButton SpeedButton;             // 1014
    TRadioButton BelirginButton;     // 1002
    TRadioButton AkiciButton;        // 1003
    TButton XmlSwitch;               // 1034
    TButton XmlMenuButton;           // 1035
    TProgressCtrl ProgressBar;       // 1011
    TButton ContinueButton;          // 1024
    TStatic AttentionText;           // 1033
    TLinkCtrl DownloadLink;          // 1037
    TLinkCtrl WebSiteLink;           // 1032
    TLinkCtrl LanguageLink;          // 1036
    TLinkCtrl BuyLink;               // 1031
    TLinkCtrl VoiceLink;             // 1026
    TLinkCtrl Mp3Link;               // 1028
    TLinkCtrl QualityLink;           // 1029
    TLinkCtrl FaqLink;               // 1030
    TLabel VoiceLabel;               // 1010

    // The speed pop-up: its window is made hidden in OnInitDialog and lives as long as the form.
    TFormSpeed SpeedPopup;

    // --- commands (UI thread); each shows the message of a failure
    void ReadClicked();
    void PauseClicked();
    void ContinueClicked();
    void OpenWebSite();
    void OpenDownloadPage();
    void SwitchLanguage();
    // The speed pop-up moved its slider to `position` (0-20).
    void SetSpeedPosition(int32_t position);

    // --- state, for the window's own checks and for tests
    // A reading runs: its thread exists and is neither stopping nor finished.
    bool ReadingRuns() const;
    // The Read button's text for `state` in the interface language.
    const char *ReadText(TReadText state) const;
    // Stops the reading, if any, without waiting for it, and drops its queued sound (see
    // TReadingSession::Stop for keepIdleOutputOpen). Events it posts later do nothing.
    void StopReading(bool keepIdleOutputOpen = false);
    // The listening-pause row is shown.
    bool ListeningPauseShown() const;

    // --- listeners
    void OnTextReady(TDemoSynthesiseThread *thread) override;
    void OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) override;
    void OnFinished(TDemoSynthesiseThread *thread) override;
    void OnPlayStart(TWaveOut *waveOut) override;
    void OnPlayEnd(TWaveOut *waveOut) override;
    void OnPause(TWaveOut *waveOut) override;
    void OnResume(TWaveOut *waveOut) override;
    void OnBufferDone(TWaveOut *waveOut, uint32_t tag) override;
    // The speed pop-up's slider moved.
    void OnSpeedChanged(TFormSpeed *popup) override;

    // The attention text's colour while it is painted.
    void OnControlColor(int32_t id, wxWindow *control, TDrawContext &context) override;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int32_t id, int32_t code) override;
    void OnLinkClicked(int32_t id, int32_t anchor) override;
    void OnTimer(int32_t id) override;
    wxBitmap LoadBitmapResource(int32_t resource) override;

    // The XML commands and the speed button (see the header comment).
    virtual void OnXmlSwitch();
    virtual void OnXmlMenu();
    virtual void OnXmlCommand(int32_t command);
    virtual void OnSpeedButton();

private:
    // The Read command's branches.
    void StartReading();
    void StopAndClose();
    // Word count of the whole text into the status bar.
    void UpdateWordCount();
    // Names for screen readers, in the interface language.
    void NameControlsForScreenReaders();
    // Gives each button its letter for Alt (MainFormTexts::ButtonMnemonic).
    void MarkMnemonics();
    // Keeps the text box's text now (see kept_text.h).
    void KeepText();
    std::string keptText_;      // UI thread: the text box's text as last changed, UTF-8
    bool textUnkept_ = false;   // UI thread: changed since it was last kept
    void SetReadText(TReadText state);
    // Enables or disables the speed button and both reading-style buttons.
    void SetChoicesEnabled(bool enabled);
    void ShowListeningPause();
    void HideListeningPause();
    // Selects `range` of the text box and scrolls it into view.
    void Highlight(const TTextRange &range);
    // On the reading's thread, before it asks for the text: starts the local service where
    // needed, finds the service and checks for an update, plays the warning sound once.
    void PrepareReading(TDemoSynthesiseThread &thread);
    // Loads the warning sound and queues it (on the reading's thread).
    void PlayWarningSound(TDemoSynthesiseThread &thread);
    // Buttons, texts and the listening row as they are when nothing is read.
    void ShowIdle();

    // Runs `action` on the UI thread later, unless the form is gone or the reading with
    // `serial` was replaced meanwhile.
    void PostForReading(uint32_t serial, std::function<void()> action);

    // The serial of the current reading (PlayingQueue.Serial()), for the worker threads.
    std::atomic<uint32_t> readingSerial_{0};
    // Cleared by the destructor on the UI thread; posted calls test it there.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
