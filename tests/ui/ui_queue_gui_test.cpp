// SPDX-License-Identifier: GPL-3.0-or-later
// The UI thread's queue drained by the wx event loop, and the wx message box reached from a
// worker thread (run under Xvfb).

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "../support/fake_host.h"
#include "foundation/exceptions.h"
#include "foundation/message_box.h"
#include "foundation/host.h"
#include "foundation/thread.h"
#include "platform/ui_queue.h"
#include "support/gui_test.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/ui_thread.h"

namespace {

const TDialogTemplate kMain{904, 200, 100, "Main", dsCaption | dsSysMenu, {
    {1000, TControlKind::Edit, csTabStop | csBorder, 7, 7, 150, 14, ""},
}};

class TMainForm : public TForm {
public:
    TMainForm() : TForm(kMain) { BindControl(1000, Edit); }
    TEdit Edit;
};

class TWorker : public TThread {
public:
    explicit TWorker(std::function<void()> work) : work_(std::move(work)) {}
    ~TWorker() override { StopAndWait(); }

protected:
    void Execute() override { work_(); }

private:
    std::function<void()> work_;
};

using UiQueueGuiTest = GuiTest;

TEST_F(UiQueueGuiTest, WorkerPostsAreRunByTheEventLoop) {
    TMainForm form;
    ASSERT_TRUE(form.Create());
    std::thread::id ranOn;
    TWorker worker([&] {
        UiQueue().Post([&] {
            ranOn = std::this_thread::get_id();
            form.Edit.SetAnsiText("from the worker");
        });
    });
    worker.Resume();
    // Not WaitFor: only the wx event loop drains here.
    ASSERT_TRUE(PumpUntil([&] { return worker.Finished() && !UiQueue().HasWork(); }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(form.Edit.Ctrl()->GetValue(), "from the worker");
}

TEST_F(UiQueueGuiTest, WorkerMessageBoxIsShownOnTheUiThreadWhileItWaitsForTheWorker) {
    TMainForm form;
    ASSERT_TRUE(form.Create());
    std::thread::id shownOn;
    wxWindow *shownOwner = nullptr;
    std::string shownCaption, shownText;
    TWxHost host([&] { return form.Dialog(); }, "Valtrosa",
                 [&](wxWindow *owner, const std::string &caption, const char *text, int) {
                     shownOn = std::this_thread::get_id();
                     shownOwner = owner;
                     shownCaption = caption;
                     shownText = text;
                     return IDYES;
                 });
    TScopedHost installed(host);
    std::atomic<int> answer{0};
    TWorker worker([&] {
        answer = ShowMessageBox("Devam edilsin mi?", MB_YESNO);
        UiQueue().Post([&] { form.Edit.SetAnsiText("answered"); });
    });
    worker.Resume();
    worker.WaitFor();  // the UI thread waits; the worker's box must still be answered
    ProcessMessages();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(shownOn, std::this_thread::get_id());
    EXPECT_EQ(shownOwner, form.Dialog());
    EXPECT_EQ(shownCaption, "Valtrosa");
    EXPECT_EQ(shownText, "Devam edilsin mi?");
    EXPECT_EQ(form.Edit.Ctrl()->GetValue(), "answered");
}

TEST_F(UiQueueGuiTest, ARaisingClosureIsShownAndTheQueueGoesOn) {
    TFakeHost boxes;
    std::vector<int> ran;
    bool quit = false;
    AttachUiQueue([&] { quit = true; });
    UiQueue().Post([&] { ran.push_back(1); });
    UiQueue().Post([] { RaiseError("Ba\xF0lant\xFD kesildi"); });
    UiQueue().Post([&] { ran.push_back(3); });
    UiQueue().PostQuit();
    EXPECT_TRUE(PumpUntil([&] { return quit; }));
    AttachUiQueue();
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Ba\xF0lant\xFD kesildi"});
}

// Answers wx's message dialogs without showing them, recording what they would show.
class TAnsweringHook : public wxModalDialogHook {
public:
    explicit TAnsweringHook(int answer) : answer_(answer) { Register(); }
    ~TAnsweringHook() override { Unregister(); }
    int Enter(wxDialog *dialog) override {
        auto *box = dynamic_cast<wxMessageDialog *>(dialog);
        if (!box) return wxID_NONE;
        Message = box->GetMessage();
        Caption = box->GetCaption();
        Owner = box->GetParent();
        Style = box->GetMessageDialogStyle();
        return answer_;
    }
    void Exit(wxDialog *) override {}
    wxString Message, Caption;
    wxWindow *Owner = nullptr;
    long Style = 0;

private:
    int answer_;
};

TEST_F(UiQueueGuiTest, MessageDialogShowsTheTextUnderTheTitleAndMapsTheAnswer) {
    TMainForm form;
    ASSERT_TRUE(form.Create());
    form.Show();  // wx gives a message box only a shown owner
    TWxHost host([&] { return form.Dialog(); }, "Valtrosa");
    TScopedHost installed(host);
    struct Case {
        const char *label;
        int style, wxAnswer, expected;
        long buttons;
    };
    const Case cases[] = {
        {"notice", MB_OK, wxID_OK, IDOK, wxOK},
        {"question, yes", MB_YESNO, wxID_YES, IDYES, wxYES_NO},
        {"question, no", MB_YESNO, wxID_NO, IDNO, wxYES_NO},
    };
    for (const Case &c : cases) {
        TAnsweringHook hook(c.wxAnswer);
        EXPECT_EQ(ShowMessageBox("De\xF0i\xFEiklikler kaydedildi", c.style), c.expected) << c.label;
        EXPECT_EQ(hook.Message, wxString::FromUTF8("Değişiklikler kaydedildi")) << c.label;
        EXPECT_EQ(hook.Caption, "Valtrosa") << c.label;
        EXPECT_EQ(hook.Owner, form.Dialog()) << c.label;
        EXPECT_EQ(hook.Style & (wxOK | wxYES_NO), c.buttons) << c.label;
    }
}

}  // namespace
