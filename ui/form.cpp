// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/hyperlink.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "foundation/exceptions.h"
#include "ui/key_codes.h"
#include "ui/wx_text.h"

// The wx window of a form. It routes wx events to the form's virtuals; the form may go
// away before wx deletes the window (Destroy defers it), so every route checks the link below.
// The handlers hold the link, not the window: wx still sends events while the window's base
// classes are being destroyed, after this class's part is gone.
class TFormWindow : public wxDialog, public TControlColorHost {
public:
    explicit TFormWindow(TForm *form) : link(std::make_shared<TForm *>(form)) {}
    ~TFormWindow() override {
        if (TForm *form = *link) {
            *link = nullptr;
            form->SetWindow(nullptr);
            form->WindowGone();
        }
    }
    TForm *Form() const { return *link; }
    std::shared_ptr<TForm *> link;  // the form, or null once they parted

    void ControlColor(int32_t id, wxWindow *control, TDrawContext &context) override {
        if (TForm *form = Form()) form->OnControlColor(id, control, context);
    }
};

namespace {

TKeyMessage KeyMessageOf(const wxKeyEvent &event, bool down) {
    TKeyMessage m;
    m.Alt = event.AltDown();
    m.Kind = !down ? TKeyMessageKind::KeyUp
             : m.Alt ? TKeyMessageKind::SysKeyDown
                     : TKeyMessageKind::KeyDown;
    m.Key = VirtualKeyOf(event.GetKeyCode());
    m.Shift = event.ShiftDown();
    m.Ctrl = event.RawControlDown();
    m.Target = dynamic_cast<wxWindow *>(event.GetEventObject());
    return m;
}

TFormWindow *FormWindowOf(wxWindow *w) {
    return w ? dynamic_cast<TFormWindow *>(wxGetTopLevelParent(w)) : nullptr;
}

// Key-up messages reach only the focused window in wx; this filter hands those of a form's
// windows to the form's pre-translation first.
class TKeyUpFilter : public wxEventFilter {
public:
    int FilterEvent(wxEvent &event) override {
        if (event.GetEventType() != wxEVT_KEY_UP) return Event_Skip;
        auto *key = static_cast<wxKeyEvent *>(&event);
        TFormWindow *window = FormWindowOf(dynamic_cast<wxWindow *>(event.GetEventObject()));
        if (!window || !window->Form()) return Event_Skip;
        return window->Form()->PreTranslateKey(KeyMessageOf(*key, false)) ? Event_Processed
                                                                          : Event_Skip;
    }
};

void InstallKeyUpFilter() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    wxEvtHandler::AddFilter(new TKeyUpFilter);  // for the life of the process
}

long DialogStyle(uint32_t s) {
    long style = 0;
    if (s & dsPopup) {
        style = wxBORDER_NONE;
    } else {
        if (s & dsCaption) style |= wxCAPTION;
        if (s & dsSysMenu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
        if (s & dsResizable) style |= wxRESIZE_BORDER | wxMAXIMIZE_BOX;
        if (s & dsMinimizeBox) style |= wxMINIMIZE_BOX;
    }
    if (s & dsTopMost) style |= wxSTAY_ON_TOP;
    if (s & dsNoActivate) style |= wxFRAME_NO_TASKBAR;
    return style;
}

int32_t ScrollCode(wxEventType type) {
    if (type == wxEVT_SCROLL_LINEUP) return SB_LINEUP;
    if (type == wxEVT_SCROLL_LINEDOWN) return SB_LINEDOWN;
    if (type == wxEVT_SCROLL_PAGEUP) return SB_PAGEUP;
    if (type == wxEVT_SCROLL_PAGEDOWN) return SB_PAGEDOWN;
    if (type == wxEVT_SCROLL_THUMBRELEASE) return SB_THUMBPOSITION;
    if (type == wxEVT_SCROLL_THUMBTRACK) return SB_THUMBTRACK;
    if (type == wxEVT_SCROLL_TOP) return SB_TOP;
    if (type == wxEVT_SCROLL_BOTTOM) return SB_BOTTOM;
    return SB_ENDSCROLL;  // wxEVT_SCROLL_CHANGED
}

}  // namespace

TForm::TForm(const TDialogTemplate &dialogTemplate)
    : TemplateId(dialogTemplate.Id), template_(&dialogTemplate) {
    OwnsWindow = false;
}

TForm::~TForm() { DestroyWindow(); }

bool TForm::Guarded(const std::function<void()> &action) {
    try {
        action();
        return true;
    } catch (const TCustomException &e) {
        e.Show();
        return false;
    }
}

void TForm::BindControl(int32_t id, TControl &control) { bound_[id] = &control; }

wxDialog *TForm::Dialog() const { return dialog_; }
bool TForm::IsModal() const { return dialog_ && dialog_->IsModal(); }

int32_t TForm::ShowModal(wxWindow *parent) {
    if (!CreateWindow(parent, *template_)) return -1;
    int32_t result = dialog_->ShowModal();
    DestroyWindow();
    return result;
}

bool TForm::Create(wxWindow *parent) { return CreateWindow(parent, *template_); }

void TForm::EmbedForm(TForm *child, const TDialogTemplate *dialogTemplate) {
    if (!child) RaiseError("NULL Parameter Passed to EmbedForm");
    if (child->HasWindow()) return;
    child->CreateWindow(Window(), dialogTemplate ? *dialogTemplate : *child->template_);
}

void TForm::EndDialog(int32_t result) {
    if (!dialog_) return;
    if (dialog_->IsModal())
        dialog_->EndModal(result);
    else
        dialog_->Hide();
}

void TForm::ShowNoActivate() {
    if (!dialog_) RaiseError("Window Not Assigned to Designer");
    dialog_->ShowWithoutActivating();
}

void TForm::WindowGone() {
    timers_.clear();
    dialog_ = nullptr;
    WindowDestroyed = true;
}

void TForm::DestroyWindow() {
    if (!dialog_) return;
    TFormWindow *dialog = dialog_;
    for (auto &timer : timers_) timer.second->Stop();
    *dialog->link = nullptr;
    SetWindow(nullptr);
    WindowGone();
    // Deferred: this may run inside one of the window's own handlers.
    dialog->Destroy();
}

bool TForm::CreateWindow(wxWindow *parent, const TDialogTemplate &t) {
    if (dialog_) return true;
    InstallKeyUpFilter();
    auto *dialog = new TFormWindow(this);
    if (!dialog->Create(parent, wxID_ANY, ToWx(t.Caption), wxDefaultPosition, wxDefaultSize,
                        DialogStyle(t.Style))) {
        delete dialog;
        return false;
    }
    // The font first: the units are measured in it and the children inherit it.
    dialog->SetFont(DialogFont());
    units_ = TDialogUnits::Of(dialog->GetFont());
    dialog->SetClientSize(units_.Size(t.Width, t.Height));
    if (!(t.Style & dsPopup)) dialog->Centre();
    dialog_ = dialog;
    WindowDestroyed = false;
    SetWindow(dialog);

    std::shared_ptr<TForm *> link = dialog->link;
    dialog->Bind(wxEVT_CHAR_HOOK, [this, link](wxKeyEvent &e) {
        if (*link != this) return e.Skip();
        TKeyMessage m = KeyMessageOf(e, true);
        bool keepEnter = m.Kind == TKeyMessageKind::KeyDown && m.Key == VK_RETURN && KeepEnter &&
                         m.Target == dialog_;
        bool consumed = false;
        Guarded([&] { consumed = PreTranslateKey(m); });
        // A kept Enter goes nowhere: not to the default button either.
        if (!consumed && !keepEnter) e.Skip();
    });
    auto command = [this, link](int32_t code) {
        return [this, link, code](wxCommandEvent &e) {
            if (*link != this) return e.Skip();
            bool handled = false;
            Guarded([&] { handled = OnCommand(e.GetId(), code); });
            if (!handled) e.Skip();
        };
    };
    dialog->Bind(wxEVT_BUTTON, command(BN_CLICKED));
    dialog->Bind(wxEVT_CHECKBOX, command(BN_CLICKED));
    dialog->Bind(wxEVT_RADIOBUTTON, command(BN_CLICKED));
    dialog->Bind(wxEVT_MENU, command(BN_CLICKED));
    dialog->Bind(wxEVT_TEXT, command(EN_CHANGE));
    dialog->Bind(wxEVT_HYPERLINK, [this, link](wxHyperlinkEvent &e) {
        if (*link != this) return;
        long anchor = 0;
        e.GetURL().ToLong(&anchor);
        Guarded([&] { OnLinkClicked(e.GetId(), int32_t(anchor)); });
    });
    for (const wxEventTypeTag<wxScrollEvent> &type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                             wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_THUMBRELEASE,
                             wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM,
                             wxEVT_SCROLL_CHANGED}) {
        dialog->Bind(type, [this, link](wxScrollEvent &e) {
            if (*link != this) return e.Skip();
            int32_t code = ScrollCode(e.GetEventType());
            if (e.GetOrientation() == wxVERTICAL)
                Guarded([&] { OnVScroll(e.GetId(), code); });
            else
                Guarded([&] { OnHScroll(e.GetId(), code); });
        });
    }
    dialog->Bind(wxEVT_TIMER, [this, link](wxTimerEvent &e) {
        if (*link != this) return;
        Guarded([&] { OnTimer(e.GetId()); });
    });
    dialog->Bind(wxEVT_SIZE, [this, link](wxSizeEvent &e) {
        if (*link == this) Guarded([&] { ApplyLayout(); });
        e.Skip();
    });
    dialog->Bind(wxEVT_MOUSEWHEEL, [this, link](wxMouseEvent &e) {
        if (*link != this || !SwallowMouseWheel) e.Skip();
    });
    dialog->Bind(wxEVT_ACTIVATE, [this, link](wxActivateEvent &e) {
        e.Skip();
        if (*link == this) Guarded([&] { OnActivate(e.GetActive()); });
    });
    dialog->Bind(wxEVT_CLOSE_WINDOW, [this, link](wxCloseEvent &e) {
        if (*link != this) return e.Skip();
        Guarded([&] { OnCommand(IDCANCEL, BN_CLICKED); });
    });

    Guarded([&] { CreateControls(t); });
    OnInitDialog();
    return true;
}

void TForm::CreateControls(const TDialogTemplate &t) {
    bool previousRadio = false;
    for (const TControlSpec &row : t.Controls) {
        auto bound = row.Id == IDC_STATIC ? bound_.end() : bound_.find(row.Id);
        TControl *control = bound == bound_.end() ? nullptr : bound->second;
        if (control && !control->Accepts(row.Kind)) RaiseError("Control Kind Mismatch %d", int(row.Id));
        wxWindow *widget = CreateWidget(dialog_, row, units_.Rect(row.X, row.Y, row.Width, row.Height),
                                        ToWx(row.Text), !previousRadio);
        if (!widget) RaiseError("Control Not Created %d", int(row.Id));
        if (row.Kind == TControlKind::Picture && row.Resource) {
            wxBitmap bitmap = LoadBitmapResource(row.Resource);
            if (bitmap.IsOk()) static_cast<wxStaticBitmap *>(widget)->SetBitmap(bitmap);
        }
        previousRadio = row.Kind == TControlKind::RadioButton;
        if (control) control->Attach(widget);
    }
}

bool TForm::OnInitDialog() {
    return Guarded([&] {
        ApplyLayout();
        ApplyComboBoxRule();
    });
}

void TForm::ApplyComboBoxRule() {
    std::function<void(wxWindow *)> visit = [&](wxWindow *parent) {
        for (wxWindow *child : parent->GetChildren()) {
            if (dynamic_cast<wxComboBox *>(child)) {
                // Only a direct child of the form with the same id is changed.
                for (wxWindow *direct : dialog_->GetChildren()) {
                    if (direct->GetId() == child->GetId()) {
                        wxPoint at = direct->GetPosition();
                        direct->SetSize(at.x, at.y, direct->GetSize().x, 150);
                        break;
                    }
                }
            }
            visit(child);
        }
    };
    visit(dialog_);
}

void TForm::OnControlColor(int32_t, wxWindow *, TDrawContext &) {}

void TForm::ApplyLayout() {
    for (int32_t i = 0; i < Controls.Count(); ++i) ApplyAnchor(*Controls.Anchor(i));
}

bool TForm::TranslateKey(const TKeyMessage &message) {
    bool handled = false;
    if (message.Kind != TKeyMessageKind::Other) DispatchKey(message, handled);
    return handled;
}

int32_t TForm::DefaultButtonId() const {
    for (const TControlSpec &row : template_->Controls)
        if (row.Kind == TControlKind::DefPushButton) return row.Id;
    return IDOK;
}

bool TForm::DialogKey(const TKeyMessage &m) {
    if (m.Kind != TKeyMessageKind::KeyDown) return false;
    if (m.Key == VK_ESCAPE) {
        OnCommand(IDCANCEL, BN_CLICKED);
        return true;
    }
    if (m.Key != VK_RETURN) return false;
    if (auto *edit = dynamic_cast<wxTextCtrl *>(m.Target); edit && edit->IsMultiLine())
        return false;  // the text box takes its Enter
    if (dynamic_cast<TLinkWindow *>(m.Target)) return false;  // a focused link opens
    int32_t id = DefaultButtonId();
    if (auto *button = dynamic_cast<wxButton *>(m.Target)) id = button->GetId();
    wxWindow *target = Item(id);
    if (target && !target->IsEnabled()) return true;
    OnCommand(id, BN_CLICKED);
    return true;
}

bool TForm::PreTranslateKey(const TKeyMessage &m) {
    bool handled = false;
    bool dialogConsumed = false;
    const bool down = m.Kind == TKeyMessageKind::KeyDown || m.Kind == TKeyMessageKind::SysKeyDown;
    const bool keepEnter = m.Kind == TKeyMessageKind::KeyDown && m.Key == VK_RETURN && KeepEnter &&
                           dialog_ && m.Target == dialog_;
    if (!keepEnter && dialog_) dialogConsumed = DialogKey(m);
    if (down) formListeners_.OnFormKeyDown(Window(), m.Key & 0xFFFF, ShiftStateOf(m), handled);
    if (m.Kind != TKeyMessageKind::Other && TranslateKey(m)) handled = true;
    return handled || dialogConsumed;
}

void TForm::OnOK() {
    try {
        formListeners_.OnFormOK(this);
    } catch (const TCustomException &e) {
        e.Show();
        return;
    }
    EndDialog(IDOK);
}

void TForm::OnCancel() { EndDialog(IDCANCEL); }

bool TForm::OnCommand(int32_t id, int32_t code) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void TForm::OnLinkClicked(int32_t, int32_t) {}
void TForm::OnVScroll(int32_t, int32_t) {}
void TForm::OnHScroll(int32_t, int32_t) {}
void TForm::OnTimer(int32_t) {}
void TForm::OnActivate(bool) {}
wxBitmap TForm::LoadBitmapResource(int32_t) { return wxNullBitmap; }

void TForm::AddAnchor(TWindowDesigner &control, bool left, bool top, bool right, bool bottom,
                      int32_t mode) {
    auto *anchor = new TControlAnchor;
    anchor->Mode = mode;
    anchor->Control = &control;
    anchor->Form = this;
    anchor->AnchorLeft = left;
    anchor->AnchorTop = top;
    anchor->AnchorRight = right;
    anchor->AnchorBottom = bottom;
    CaptureAnchor(*anchor);
    Controls.Add(anchor);
}

void TForm::RecaptureAnchor(TWindowDesigner &control) {
    for (int32_t i = 0; i < Controls.Count(); ++i) {
        TControlAnchor *anchor = Controls.Anchor(i);
        if (anchor->Control != &control) continue;
        anchor->Captured = false;
        CaptureAnchor(*anchor);
    }
}

void TForm::SetTimer(int32_t id, int32_t milliseconds) {
    if (!dialog_) RaiseError("Window Not Assigned to Designer");
    auto &timer = timers_[id];
    if (!timer) timer = std::make_unique<wxTimer>(dialog_, id);
    timer->Start(milliseconds);
}

void TForm::KillTimer(int32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->Stop();
    timers_.erase(it);
}

void TForm::ApplyTexts(bool english) {
    for (const TControlSpec &row : template_->Controls) {
        if (!row.EnglishText || row.Id == IDC_STATIC) continue;
        if (wxWindow *w = Item(row.Id)) {
            ::SetAnsiText(w, TextOf(row, english));
            MakeRoomForIndicator(w);
        }
    }
}

wxWindow *TForm::Item(int32_t id) const {
    if (!dialog_) return nullptr;
    for (wxWindow *child : dialog_->GetChildren())
        if (child->GetId() == id) return child;
    return nullptr;
}

int32_t TForm::UsableHeight() const {
    if (!dialog_) RaiseError("Window Not Assigned to Designer");
    return dialog_->GetClientSize().y;
}
