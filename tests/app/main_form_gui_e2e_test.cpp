// SPDX-License-Identifier: GPL-3.0-or-later
// The reading commands of the main form end to end: a real window (under Xvfb), the real
// local speech service on loopback, SDL's "disk" sound driver.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/textctrl.h>

#include "../support/demo_server_process.h"
#include "../support/full_listener.h"
#include "app/main_form_template.h"
#include "foundation/code_page.h"
#include "foundation/message_box.h"
#include "records/narrelo_text.h"
#include "service/text_cache.h"
#include "support/main_form_fixture.h"

namespace {

// Nine words in each sentence, each sentence and each part of one different, so that every
// one is fetched anew and six of them reach the listening pause. The first five have a
// clause boundary, so each is heard as two items.
const char *const TenWordSentences[] = {
    "Birinci cümlede tam on kelime var ve hepsi okunur.",
    "İkinci cümlede de on kelime var ve hepsi okunacak.",
    "Üçüncü cümlede yine on kelime var ve hepsi duyulur.",
    "Dördüncü cümlede gene on kelime var ve hepsi söylenir.",
    "Beşinci cümlede aynı on kelime var ve hepsi dinlenir.",
    "Altıncı cümlede tamı tamına on kelime var hepsi okunur.",
    "Yedinci cümlede de tam on kelime var hepsi okunur.",
};

// A service that takes every connection and never answers: a listening socket on loopback
// that nobody accepts from (the system completes the connections and keeps what is sent).
class TSilentService {
public:
    TSilentService() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&address), size) != 0 || listen(fd_, 16) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            ADD_FAILURE() << "no loopback socket";
        port_ = ntohs(address.sin_port);
    }
    ~TSilentService() {
        if (fd_ >= 0) close(fd_);
    }
    TSilentService(const TSilentService &) = delete;
    TSilentService &operator=(const TSilentService &) = delete;
    std::string Endpoint() const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/Project2.DemoServer/soap/IDemoServer";
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

std::string Paragraph(int sentences) {
    std::string text;
    for (int i = 0; i < sentences; ++i) text += std::string(i ? " " : "") + TenWordSentences[i];
    return text;
}

class MainFormReadingTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        // Every test fetches its texts anew (the text and sentence caches live for the run).
        ClearReadingCaches();
        server_ = std::make_unique<TDemoServerProcess>(std::vector<std::string>{"--key-file", KeyFile()});
        PointAt(*server_);
    }
    void TearDown() override {
        form_.reset();
        MainFormTest::TearDown();
    }

    std::string KeyFile() const { return config_.Folder() + "/server.key"; }
    static void PointAt(const TDemoServerProcess &server) {
        WriteSetting("Software\\Valtrosa", u"DemoServer", server.Endpoint());
    }

    TFormCommercialTTS &Form(bool english = false) {
        if (english) WriteSetting("Software\\Valtrosa\\Narrelo", u"InterfaceIsEnglish", 1);
        if (!form_) form_ = OpenForm();
        return *form_;
    }

    // Puts UTF-8 `text` into the text box.
    void Type(const std::string &utf8) {
        form_->TextBox.Ctrl()->ChangeValue(ToWx(cp1254::FromUtf8(utf8)));
    }
    std::string ReadLabel() { return LabelOf(form_->Item(IDC_READ)); }
    bool Enabled(int32_t id) { return form_->Item(id)->IsEnabled(); }
    // Read, speed, both reading styles (and pause when `withPause`) all enabled.
    bool CommandsEnabled(bool withPause) {
        return Enabled(IDC_READ) && Enabled(IDC_SPEED) && Enabled(IDC_BELIRGIN) && Enabled(IDC_AKICI) &&
               (!withPause || Enabled(IDC_PAUSE));
    }
    bool Playing() { return Enabled(IDC_PAUSE) && form_->ReadingRuns(); }
    // The reading ended and the form shows it.
    bool Finished() {
        return !form_->ReadingRuns() && ReadLabel() == form_->ReadText(TReadText::Idle) && Enabled(IDC_READ) &&
               !form_->Item(IDC_PROGRESS)->IsShown();
    }
    std::pair<long, long> Selection() {
        long from = 0, to = 0;
        form_->TextBox.Ctrl()->GetSelection(&from, &to);
        return {from, to};
    }
    // The sentence marked as heard.
    std::pair<long, long> Marked() {
        int32_t from = -1, to = -1;
        form_->TextBox.GetMark(from, to);
        return {from, to};
    }
    // One block per sentence heard: the items of one sentence (its parts) added up.
    std::vector<TWrittenBlock> SentenceBlocks() {
        std::vector<TWrittenBlock> blocks;
        for (const TWrittenBlock &b : Written()) {
            if (b.Tag == WarningSoundTag) continue;
            if (!blocks.empty() && blocks.back().Tag == b.Tag) blocks.back().Length += b.Length;
            else blocks.push_back(b);
        }
        return blocks;
    }

    TFakeHost quiet_;  // answers what a test does not script itself
    std::unique_ptr<TDemoServerProcess> server_;
    std::unique_ptr<TFormCommercialTTS> form_;
};

TEST_F(MainFormReadingTest, AnEmptyTextSaysSoStartsNoThreadAndLeavesEverythingUsable) {
    struct Case {
        bool english;
        const char *typed;
        const char *message;
    } cases[] = {
        {false, "", "Önce yukarıdaki alana dinlemek istediğimiz metni yapıştırmalısınız."_cp},
        {true, " \r\n  \n ", "You must type any text below"},
    };
    for (const Case &c : cases) {
        form_.reset();
        TFakeHost boxes;
        Form(c.english);
        Type(c.typed);
        form_->ReadClicked();
        ASSERT_EQ(boxes.Texts().size(), 1u) << "the service is on this machine: no remote-service notice";
        EXPECT_EQ(boxes.Texts()[0], c.message);
        EXPECT_EQ(form_->ReadingThread, nullptr);
        EXPECT_TRUE(CommandsEnabled(true));
        EXPECT_TRUE(Written().empty()) << "no warning sound either";
    }
}

// The warning sound comes with the first Read only. The notice that speech is made on a
// remote computer over the Internet is untrue for a service on this machine (this one, on
// loopback): it is not shown. A service elsewhere gets it, once a run, before the reading.
TEST_F(MainFormReadingTest, TheWarningSoundComesOnlyWithTheFirstReadAndTheRemoteNoticeOnlyForARemoteService) {
    {
        form_.reset();
        written_->clear();
        TFakeHost boxes;
        Form();
        Type("Merhaba. Nasılsınız?");
        for (int read = 0; read < 2; ++read) {
            // The last sentence heard stays selected: put the caret at the start to read all.
            form_->TextBox.Select(0, 0);
            form_->ReadClicked();
            ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 30)) << read;
        }
        EXPECT_TRUE(boxes.Texts().empty()) << "no notice for a service on this machine";
        const std::vector<TWrittenBlock> blocks = Written();
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks.front().Tag, WarningSoundTag);
        int warnings = 0;
        for (const TWrittenBlock &b : blocks) warnings += b.Tag == WarningSoundTag;
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(SentenceBlocks().size(), 4u) << "two sentences, read twice";
    }
    // The interface's language stays English once set: Turkish first.
    struct Case {
        bool english;
        const char *notice_start;
    } cases[] = {
        {false, "Önemli Hatırlatma !\r\n\r\nKullanmakta olduğunuz program, Ses oluşturma"_cp},
        {true, "Attention.\r\n\r\nThis program is only purposed Listen to Voice Quality.\r\n\r\n!!! This is Not Real"},
    };
    for (const Case &c : cases) {
        form_.reset();
        TFakeHost boxes;
        // A service elsewhere (an address of the documentation range, never reached: the
        // reading is stopped while it connects).
        WriteSetting("Software\\Valtrosa", u"DemoServer", "http://192.0.2.1:9/Project2.DemoServer/soap/IDemoServer");
        Form(c.english);
        Type("Merhaba.");
        form_->ReadClicked();
        ASSERT_FALSE(boxes.Texts().empty());
        EXPECT_EQ(boxes.Texts()[0].rfind(c.notice_start, 0), 0u) << boxes.Texts()[0];
        if (form_->ReadingRuns()) form_->ReadClicked();  // stop
        ASSERT_TRUE(PumpUntil([&] { return !form_->ReadingRuns(); }, 15));
    }
    PointAt(*server_);
}

TEST_F(MainFormReadingTest, ASelectionIsReadAloneAndHighlightedWhereItStandsInTheTextBox) {
    Form();
    const std::string text = cp1254::FromUtf8(Paragraph(3));
    Type(Paragraph(3));
    const std::string second = cp1254::FromUtf8(TenWordSentences[1]);
    const long from = long(text.find(second)) - 1;  // the blank before it is selected too
    const long to = from + 1 + long(second.size());
    form_->TextBox.Select(int32_t(from), int32_t(to));
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return form_->ReadingThread && form_->ReadingThread->CurrentText.load(); }, 20));
    const TNarreloText *read = form_->ReadingThread->CurrentText.load();
    EXPECT_EQ(std::string(read->Text.View()), second);
    EXPECT_EQ(read->Sentences.Count(), 1);
    // The sentence starts at 0 of what was sent; in the text box it starts after the blank.
    ASSERT_TRUE(PumpUntil([&] { return Marked() == std::pair<long, long>(from + 1, to); }, 20))
        << Marked().first << ".." << Marked().second;
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 30));
    EXPECT_EQ(SentenceBlocks().size(), 1u);
}

// The sentence heard is marked, never selected: after a reading, Read reads the whole text
// again, and a key typed after it is added, never put in place of the marked sentence.
TEST_F(MainFormReadingTest, ReadTwiceReadsEverythingTwiceAndTypingAfterAReadingReplacesNothing) {
    Form();
    Type(Paragraph(3));
    const wxString before = form_->TextBox.Ctrl()->GetValue();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        form_->ReadClicked();
        ASSERT_TRUE(PumpUntil([&] { return form_->ReadingThread && form_->ReadingThread->CurrentText.load(); }, 20));
        EXPECT_EQ(form_->ReadingThread->CurrentText.load()->Sentences.Count(), 3);
        ASSERT_TRUE(PumpUntil([&] { return Marked().first >= 0; }, 20)) << "no sentence is marked";
        form_->ReadClicked();  // stop
        ASSERT_TRUE(PumpUntil([&] { return form_->ReadingThread == nullptr; }, 10));
        EXPECT_EQ(Selection().first, Selection().second) << "the reading took the user's selection";
        EXPECT_GE(Marked().first, 0) << "after Stop the mark shows the sentence heard";
    }
    wxTextCtrl *text = form_->TextBox.Ctrl();
    form_->Dialog()->Raise();
    text->SetFocus();
    wxUIActionSimulator typist;
    // Again when the key went elsewhere (another window test may hold the pointer or have
    // opened its window over this one; bounded).
    for (int attempt = 0; attempt < 5 && text->GetValue().length() == before.length(); ++attempt) {
        form_->Dialog()->Raise();
        text->SetFocus();
        typist.MouseMove(text->GetScreenRect().GetPosition() + wxPoint(20, 20));
        Pump();
        typist.Char('x');
        PumpUntil([&] { return text->GetValue().length() != before.length(); }, 3);
    }
    EXPECT_EQ(text->GetValue().length(), before.length() + 1) << "typing replaced text";
}

TEST_F(MainFormReadingTest, PauseAndContinueInEitherLanguage) {
    for (bool english : {false, true}) {
        form_.reset();
        TFakeHost boxes;
        Form(english);
        Type(Paragraph(3));
        form_->ReadClicked();
        ASSERT_TRUE(PumpUntil([&] { return Playing(); }, 20));
        EXPECT_EQ(ReadLabel(), english ? "Stop" : "Dur");
        form_->PauseClicked();
        EXPECT_TRUE(form_->WaveOut.Paused());
        EXPECT_EQ(ReadLabel(), english ? "Continue" : "Devam");
        EXPECT_FALSE(Enabled(IDC_PAUSE));
        form_->ReadClicked();
        EXPECT_FALSE(form_->WaveOut.Paused());
        EXPECT_EQ(ReadLabel(), english ? "Stop" : "Dur");
        EXPECT_TRUE(Enabled(IDC_PAUSE));
        EXPECT_TRUE(form_->ReadingRuns()) << "continuing is not a new reading";
        form_->ReadClicked();  // stop
        EXPECT_EQ(ReadLabel(), english ? "Read" : "Oku");
        EXPECT_EQ(form_->ReadingThread, nullptr);
        EXPECT_TRUE(boxes.Texts().empty()) << "no message: the service is on this machine";
    }
}

TEST_F(MainFormReadingTest, StoppingDuringTheListeningPauseHidesTheRowAndGivesTheTextBoxItsHeightBack) {
    Form();
    Type(Paragraph(7));
    const int32_t height = form_->TextBox.GetHeight();
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return form_->ListeningPauseShown(); }, 30));
    EXPECT_EQ(form_->TextBox.GetHeight(), height - 40);
    EXPECT_TRUE(form_->Item(IDC_ATTENTION)->IsShown());
    EXPECT_EQ(form_->ContinueButton.GetTop(true), form_->TextBox.GetBottom() + 5);
    EXPECT_EQ(form_->ContinueButton.GetLeft(true), form_->ReadButton.GetRight() + 40);
    EXPECT_EQ(form_->AttentionText.GetTop(true), form_->ContinueButton.GetTop(true) + 10);
    EXPECT_EQ(form_->AttentionText.GetLeft(true), 10);
    form_->ReadClicked();  // stop
    EXPECT_EQ(form_->ReadingThread, nullptr);
    EXPECT_FALSE(form_->ListeningPauseShown());
    EXPECT_FALSE(form_->Item(IDC_ATTENTION)->IsShown());
    EXPECT_EQ(form_->TextBox.GetHeight(), height);
    EXPECT_EQ(ReadLabel(), "Oku");
    Pump();
    EXPECT_EQ(form_->TextBox.GetHeight(), height) << "no late event brings the row back";
}

// The listening row is reached and left with the mouse, with real pointer events: a resize
// of the form in between (a window manager, a theme) neither puts the text box back over the
// row's button nor, once the row is hidden, over the buttons below it.
TEST_F(MainFormReadingTest, TheListeningRowIsLeftWithTheMouseAndTheButtonsBelowStayReachable) {
    Form();
    Type(Paragraph(7));
    const int32_t height = form_->TextBox.GetHeight();
    form_->Dialog()->Raise();
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return form_->ListeningPauseShown(); }, 30));
    form_->Dialog()->SendSizeEvent();
    Pump();
    EXPECT_EQ(form_->TextBox.GetHeight(), height - 40) << "a resize gave the text box its height back";
    EXPECT_GE(form_->ContinueButton.GetTop(true), form_->TextBox.GetBottom());

    // A click in the middle of a control, again when it did not arrive (another window test
    // on the same display may move the pointer in between, or open its window over this one:
    // the form is raised before each try; bounded).
    auto clickUntil = [&](wxWindow *target, const std::function<bool()> &arrived) {
        wxUIActionSimulator mouse;
        for (int attempt = 0; attempt < 5; ++attempt) {
            form_->Dialog()->Raise();
            Pump();
            const wxRect r = target->GetScreenRect();
            mouse.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
            mouse.MouseClick();
            if (PumpUntil(arrived, 3)) return true;
        }
        return false;
    };
    ASSERT_TRUE(clickUntil(form_->ContinueButton.Window(), [&] { return !form_->ListeningPauseShown(); }))
        << "the click did not reach the button";
    EXPECT_TRUE(form_->ReadingRuns()) << "the reading goes on";
    form_->Dialog()->SendSizeEvent();
    Pump();
    EXPECT_EQ(form_->TextBox.GetHeight(), height);

    ASSERT_TRUE(clickUntil(form_->ReadButton.Window(), [&] { return form_->ReadingThread == nullptr; }))
        << "Dur was not reached";
    EXPECT_EQ(ReadLabel(), "Oku");
}

// The keyboard alone, with real key events: Ctrl+Enter reads (adding no line to the text),
// Escape stops a reading and leaves the window open, F5 reads again with the progress bar
// empty and stops. The focus starts in the text box.
TEST_F(MainFormReadingTest, TheKeyboardReadsAndStopsAndEscapeOnlyStopsAReading) {
    Form();
    Type(Paragraph(3));
    const wxString text = form_->TextBox.Ctrl()->GetValue();
    EXPECT_EQ(wxWindow::FindFocus(), form_->TextBox.Ctrl());
    // A key to the text box, again when it went elsewhere (another window test on the same
    // display may hold the pointer or the focus; bounded).
    auto press = [&](int key, int modifiers, const std::function<bool()> &arrived) {
        wxUIActionSimulator keyboard;
        for (int attempt = 0; attempt < 3; ++attempt) {
            form_->Dialog()->Raise();
            form_->TextBox.Ctrl()->SetFocus();
            const wxRect r = form_->TextBox.Ctrl()->GetScreenRect();
            keyboard.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
            Pump();
            keyboard.Char(key, modifiers);
            if (PumpUntil(arrived, 3)) return true;
        }
        return false;
    };
    ASSERT_TRUE(press(WXK_RETURN, wxMOD_CONTROL, [&] { return form_->ReadingRuns(); }));
    ASSERT_TRUE(PumpUntil([&] { return form_->PlayingQueue.SentencesHeard() >= 1; }, 30));
    ASSERT_TRUE(press(WXK_ESCAPE, wxMOD_NONE, [&] { return !form_->ReadingRuns(); }));
    EXPECT_TRUE(form_->Dialog()->IsShown()) << "Escape closed the window during a reading";
    EXPECT_EQ(ReadLabel(), "Oku");
    ASSERT_TRUE(press(WXK_F5, wxMOD_NONE, [&] { return form_->ReadingRuns(); }));
    EXPECT_EQ(form_->ProgressBar.GetPos(), 0) << "the progress of the last reading is shown";
    ASSERT_TRUE(press(WXK_F5, wxMOD_NONE, [&] { return !form_->ReadingRuns(); }));
    EXPECT_EQ(form_->TextBox.Ctrl()->GetValue(), text) << "a key reached the text";
}

// Space on a button that the press disables or hides leaves the keys in the window, on the
// next command: on the pause button they go to Read (now Continue), on the listening row's
// button to Read (Stop). Real key events.
TEST_F(MainFormReadingTest, SpaceOnAButtonThatGoesAwayLeavesTheKeysOnTheNextCommand) {
    TFakeHost boxes;
    Form();
    // A key to the focused control, again when it went elsewhere (another window test on the
    // same display may hold the pointer; bounded; only a key without effect is sent again).
    auto press = [&](wxWindow *target, int key, const std::function<bool()> &arrived) {
        wxUIActionSimulator keyboard;
        for (int attempt = 0; attempt < 3; ++attempt) {
            form_->Dialog()->Raise();
            const wxRect r = form_->Dialog()->GetScreenRect();
            keyboard.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
            if (wxWindow::FindFocus() != target) target->SetFocus();
            Pump();
            keyboard.Char(key);
            if (PumpUntil(arrived, 3)) return true;
        }
        return false;
    };

    Type(Paragraph(7));
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return form_->ListeningPauseShown(); }, 30));
    EXPECT_EQ(wxWindow::FindFocus(), form_->ContinueButton.Window()) << "the row's button takes the keys";
    ASSERT_TRUE(press(form_->ContinueButton.Window(), WXK_SPACE, [&] { return !form_->ListeningPauseShown(); }));
    EXPECT_TRUE(form_->ReadingRuns()) << "the reading goes on";
    EXPECT_EQ(wxWindow::FindFocus(), form_->ReadButton.Window()) << "the keys left the row's button for nowhere";
    EXPECT_EQ(ReadLabel(), "Dur");
    ASSERT_TRUE(press(form_->ReadButton.Window(), WXK_SPACE, [&] { return !form_->ReadingRuns(); }));
    EXPECT_EQ(ReadLabel(), "Oku");

    Type(Paragraph(3));  // too short for the listening pause
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }, 20));
    ASSERT_TRUE(press(form_->PauseButton.Window(), WXK_SPACE, [&] { return form_->WaveOut.Paused(); }));
    EXPECT_EQ(wxWindow::FindFocus(), form_->ReadButton.Window()) << "the keys left the pause button for nowhere";
    EXPECT_EQ(ReadLabel(), "Devam");
    ASSERT_TRUE(press(form_->ReadButton.Window(), WXK_SPACE, [&] { return !form_->WaveOut.Paused(); }));
    EXPECT_TRUE(form_->ReadingRuns()) << "Space on Continue goes on";
    ASSERT_TRUE(press(form_->ReadButton.Window(), WXK_SPACE, [&] { return !form_->ReadingRuns(); }));
    wxWindow *focus = wxWindow::FindFocus();
    ASSERT_NE(focus, nullptr) << "the keys went nowhere once the reading ended";
    EXPECT_EQ(wxGetTopLevelParent(focus), form_->Dialog());
}

TEST_F(MainFormReadingTest, ASpeedChangedDuringAReadingAppliesFromTheNextSentence) {
    Form();
    Type(Paragraph(7));
    form_->ReadClicked();
    // The reading waits at the listening pause after fifty words: five sentences.
    ASSERT_TRUE(PumpUntil([&] { return form_->ListeningPauseShown(); }, 30));
    const size_t before = SentenceBlocks().size();
    ASSERT_GE(before, 4u);
    form_->SetSpeedPosition(0);  // ten times as fast
    form_->ContinueClicked();
    EXPECT_FALSE(form_->ListeningPauseShown());
    ASSERT_TRUE(PumpUntil([&] { return SentenceBlocks().size() == 7u || !form_->ReadingRuns(); }, 30));
    const std::vector<TWrittenBlock> blocks = SentenceBlocks();
    // A reading that ended early says why in its message (a service slowed down by a busy
    // machine, for one).
    std::string messages;
    for (const std::string &text : quiet_.Texts()) messages += "\n" + cp1254::ToUtf8(text.c_str());
    ASSERT_EQ(blocks.size(), 7u) << "messages:" << messages;
    int32_t shortestBefore = blocks[0].Length;
    for (size_t i = 0; i < before; ++i) shortestBefore = std::min(shortestBefore, blocks[i].Length);
    for (size_t i = before; i < blocks.size(); ++i)
        EXPECT_LT(blocks[i].Length, shortestBefore / 3) << "sentence " << blocks[i].Tag;
    form_->ReadClicked();  // stop
}

TEST_F(MainFormReadingTest, ClosingTheWindowWhileReadingStopsTheReading) {
    TFakeHost boxes;
    Form();
    Type(Paragraph(3));
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }, 20));
    const auto started = std::chrono::steady_clock::now();
    form_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    Pump();  // whatever the reading posted meanwhile finds no form
    PumpUntil([] { return false; }, 0.5);
    EXPECT_TRUE(boxes.Texts().empty()) << "no message: the service is on this machine";
}

TEST_F(MainFormReadingTest, AServiceThatDemandsAnUpdateDeclinedShowsWhyAndReadsNothing) {
    server_ = std::make_unique<TDemoServerProcess>(std::vector<std::string>{"--min-version", "14"});
    PointAt(*server_);
    TFakeHost boxes;  // answers No
    Form();
    Type("Merhaba.");
    form_->ReadClicked();
    // The check runs on the reading's thread: the window answers meanwhile.
    ASSERT_TRUE(PumpUntil([&] { return boxes.Texts().size() == 2u && Finished(); }, 20));
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[0],
              "Programınız için yeni bir güncelleme bulundu, şimdi yüklemek istermisiniz ?.\r\n\r\nUpdate Found "
              "for your program. Are you want to update now."_cp);
    EXPECT_EQ(boxes.Styles()[0], MB_YESNO);
    EXPECT_EQ(boxes.Texts()[1],
              "Güncelllemeyi yüklemeden programınızı kullanmaya devam edemessiniz.\r\n\r\nYou can not continue "
              "to use program if you dont update it."_cp);
    EXPECT_FALSE(form_->ReadingRuns());
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(CommandsEnabled(false)) << "nothing plays: pause stays off";
}

// A service that never answers holds nothing of the window: Read returns at once with Stop
// ready, the window goes on answering while the call hangs, Stop ends the reading at once and
// says nothing (the user stopped it), the next reading works once a service answers, and the
// window closes at once while a call hangs.
TEST_F(MainFormReadingTest, AServiceThatNeverAnswersNeitherFreezesNorTrapsTheWindow) {
    using Clock = std::chrono::steady_clock;
    TSilentService silent;
    WriteSetting("Software\\Valtrosa", u"DemoServer", silent.Endpoint());
    TFakeHost boxes;
    Form();
    Type(Paragraph(2));
    auto started = Clock::now();
    form_->ReadClicked();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2)) << "Read waited for the service";
    EXPECT_EQ(ReadLabel(), "Dur");
    EXPECT_TRUE(Enabled(IDC_READ)) << "Stop is there from the first moment";

    bool answered = false;
    wxTheApp->CallAfter([&] { answered = true; });
    form_->Dialog()->Refresh();
    EXPECT_TRUE(PumpUntil([&] { return answered; }, 2)) << "the window stopped answering";
    PumpUntil([] { return false; }, 0.5);
    EXPECT_TRUE(form_->ReadingRuns()) << "the call should still hang";

    started = Clock::now();
    form_->ReadClicked();  // Dur
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(1)) << "Stop waited for the service";
    EXPECT_EQ(ReadLabel(), "Oku");
    EXPECT_FALSE(form_->ReadingRuns());
    EXPECT_TRUE(CommandsEnabled(false));

    PointAt(*server_);
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 30));
    EXPECT_EQ(SentenceBlocks().size(), 2u);
    PumpUntil([] { return false; }, 0.3);
    EXPECT_TRUE(boxes.Texts().empty()) << "a stopped call is no failure";

    // A text not read before, so that its first call goes to the silent service.
    WriteSetting("Software\\Valtrosa", u"DemoServer", silent.Endpoint());
    Type(Paragraph(3));
    form_->TextBox.Select(0, 0);
    form_->ReadClicked();
    PumpUntil([] { return false; }, 0.3);
    ASSERT_TRUE(form_->ReadingRuns());
    started = Clock::now();
    form_.reset();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2)) << "closing waited for the service";
}

// A service address that takes no connection (as one that drops packets): the reading
// still stops at Dur, and closing the window, which waits for the reading's thread, ends
// it at once instead of when the connect timeout (10 s) runs out.
TEST_F(MainFormReadingTest, AServiceThatTakesNoConnectionNeitherKeepsTheReadingNorTheClosedWindow) {
    using Clock = std::chrono::steady_clock;
    TFullListener full;
    WriteSetting("Software\\Valtrosa", u"DemoServer", full.Endpoint());
    TFakeHost boxes;
    Form();
    Type(Paragraph(2));
    form_->ReadClicked();
    PumpUntil([] { return false; }, 0.3);
    ASSERT_TRUE(form_->ReadingRuns()) << "the call should still be connecting";
    form_->ReadClicked();  // Dur
    EXPECT_EQ(ReadLabel(), "Oku");
    EXPECT_FALSE(form_->ReadingRuns());

    form_->ReadClicked();
    PumpUntil([] { return false; }, 0.3);
    ASSERT_TRUE(form_->ReadingRuns());
    const auto started = Clock::now();
    form_.reset();
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2)) << "closing waited for the connect";
    EXPECT_TRUE(boxes.Texts().empty()) << "a stopped call is no failure";
}

TEST_F(MainFormReadingTest, TheServiceStoppingInTheMiddleIsReportedAndTheNextReadWorksOnceItIsBack) {
    // The sound device plays as fast as it is fed: what was queued before the failure
    // drains at once instead of in real time.
    ScopedEnv noDelay{"SDL_DISKAUDIODELAY", "0"};
    TFakeHost boxes;
    Form();
    Type(Paragraph(7));
    form_->ReadClicked();
    ASSERT_TRUE(PumpUntil([&] { return form_->ListeningPauseShown(); }, 30));
    server_->Stop();
    form_->ContinueClicked();
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 60));
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind("WebServis çağrısında hata oluştu\r\n\r\n"_cp, 0), 0u) << boxes.Texts()[0];
    EXPECT_TRUE(CommandsEnabled(false));

    server_ = std::make_unique<TDemoServerProcess>(std::vector<std::string>{"--key-file", KeyFile()});
    PointAt(*server_);
    written_->clear();
    form_->TextBox.Select(0, 0);  // the whole text again, not the sentence left highlighted
    form_->ReadClicked();
    // What was fetched before the failure comes from the caches and counts no words.
    ASSERT_TRUE(PumpUntil([&] {
        if (form_->ListeningPauseShown()) form_->ContinueClicked();
        return SentenceBlocks().size() == 7u || Finished();
    }, 30));
    EXPECT_EQ(SentenceBlocks().size(), 7u);
    EXPECT_EQ(boxes.Texts().size(), 1u) << "no further message";
    form_->ReadClicked();  // stop
}

}  // namespace
