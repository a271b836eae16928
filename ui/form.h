// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm: the base of every window of the program: a wx dialog built from a control table
// (ui/control_table.h), with a designer for its own position and size, an anchor list
// (TControls) for layout, listeners (OK, key down), key pre-translation with the keep-Enter
// rule, a colour hook for static texts, timers, and the mouse-wheel switch.
//
// Life: the form object exists before its window and may outlive it. ShowModal creates the
// window, runs it modally and destroys it; Create makes a modeless window (hidden until
// shown) that lives until DestroyWindow or the form's end. Member controls are bound to the
// table's ids (BindControl) before the window exists and get their widgets when it is
// created.
//
// Handlers: every event that reaches a virtual of the form (commands, links, scrolls,
// timers, layout, keys) runs inside a handler that shows the message of a program exception
// (TCustomException::Show) and leaves the form usable.
//
// To define a form:
//   class TFormLogin : public TForm {
//   public:
//       TFormLogin() : TForm(kLoginTemplate) { BindControl(1000, Email); BindControl(1036, Password); }
//       TEdit Email, Password;
//   protected:
//       bool OnInitDialog() override { if (!TForm::OnInitDialog()) return false; ...; return true; }
//       bool OnCommand(int32_t id, int32_t code) override { ...; return TForm::OnCommand(id, code); }
//   };
//   TFormLogin login; if (login.ShowModal() == IDOK) ...

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include <wx/bitmap.h>

#include "foundation/event_handlers.h"
#include "ui/control.h"
#include "ui/control_anchor.h"
#include "ui/control_table.h"
#include "ui/dialog_units.h"
#include "ui/painted_text.h"
#include "ui/window_designer.h"

class wxDialog;
class wxTimer;
class TForm;
class TPopupMenu;
class TFormWindow;

class TEventHandler_Form {
public:
    virtual ~TEventHandler_Form() = default;
    // The form's OK was accepted; called before the form closes. A program exception keeps
    // the form open (its message is shown).
    virtual void OnFormOK(TForm * /*form*/) {}
    // Reserved; the framework never calls it.
    virtual void OnFormNotify(TForm * /*form*/) {}
    // A key went down while the form was active.
    virtual void OnFormKeyDown(wxWindow * /*sender*/, int32_t /*key*/, TShiftState /*shift*/,
                               bool & /*handled*/) {}
};

class TEventHandlers_Form : public TEventHandlers<TEventHandler_Form> {
public:
    int32_t OnFormOK(TForm *form) { return Notify(&TEventHandler_Form::OnFormOK, form); }
    int32_t OnFormKeyDown(wxWindow *sender, int32_t key, TShiftState shift, bool &handled) {
        for (int32_t i = 0; i < Count(); ++i) Listener(i)->OnFormKeyDown(sender, key, shift, handled);
        return Count();
    }
};

class TEventHandler_PopupMenu {
public:
    virtual ~TEventHandler_PopupMenu() = default;
    // Called just before the menu is shown.
    virtual void OnPopup(TPopupMenu * /*menu*/) {}
};

class TEventHandlers_PopupMenu : public TEventHandlers<TEventHandler_PopupMenu> {
public:
    int32_t OnPopup(TPopupMenu *menu) { return Notify(&TEventHandler_PopupMenu::OnPopup, menu); }
};

// Notification codes passed with OnCommand.
inline constexpr int32_t BN_CLICKED = 0;     // button, check box, radio, clickable text, menu
inline constexpr int32_t EN_CHANGE = 0x300;  // an edit's text changed
// Scroll notification codes passed with OnVScroll / OnHScroll.
inline constexpr int32_t SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3,
                         SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7,
                         SB_ENDSCROLL = 8;

class TForm : public TWindowDesigner, public TEventHandler_PopupMenu {
public:
    explicit TForm(const TDialogTemplate &dialogTemplate);
    ~TForm() override;

    // --- fields
    TControls Controls;                       // anchors, applied in order by ApplyLayout
    int32_t TemplateId;                       // the template's id
    bool WindowDestroyed = false;             // the window existed and is gone
    bool SwallowMouseWheel = false;           // consume wheel turns that reach the form
    bool KeepEnter = true;                    // Enter with the form itself focused does nothing
    TEventHandlers_Form &FormListeners() { return formListeners_; }
    const TDialogTemplate &Template() const { return *template_; }

    // --- binding and window life
    // Before the window exists: the row `id` creates `control`'s widget. Raises
    // "Control Kind Mismatch %d" at creation when the row's kind does not suit the class.
    void BindControl(int32_t id, TControl &control);
    // Creates, initialises and runs the window modally, then destroys it. Returns the id
    // given to EndDialog (IDOK, IDCANCEL, ...), -1 when the window could not be created.
    int32_t ShowModal(wxWindow *parent = nullptr);
    // Creates and initialises the window modeless, hidden; no effect when it exists.
    // Returns whether the window exists afterwards.
    bool Create(wxWindow *parent = nullptr);
    // Ends a modal run with `result`; a modeless window is hidden.
    void EndDialog(int32_t result);
    // Destroys the window if there is one.
    void DestroyWindow();
    wxDialog *Dialog() const;
    bool IsModal() const;
    // Shows a modeless window without taking the activation (dialogs with dsNoActivate).
    void ShowNoActivate();

    // --- virtual operations
    // While a static text of the form is painted: may change the text colour.
    virtual void OnControlColor(int32_t id, wxWindow *control, TDrawContext &context);
    // Applies every anchor in list order.
    virtual void ApplyLayout();
    // Key messages (down, up, system down) go to the designer's key dispatch. Returns handled.
    virtual bool TranslateKey(const TKeyMessage &message);
    // Destroys the window (ownership of the object stays with its owner).
    virtual void Free() { DestroyWindow(); }
    // Creates `child`'s window modeless with this form as parent, from `dialogTemplate` (or
    // the child's own), unless it has one. Raises "NULL Parameter Passed to EmbedForm".
    virtual void EmbedForm(TForm *child, const TDialogTemplate *dialogTemplate = nullptr);

    // Key pre-translation of every key message for the form or its controls; returns whether
    // the message was consumed. Public so that tests and owners can feed messages.
    bool PreTranslateKey(const TKeyMessage &message);

    // --- helpers for derived forms
    // Adds an anchor (captured at once) for a control of this form.
    void AddAnchor(TWindowDesigner &control, bool left, bool top, bool right, bool bottom,
                   int32_t mode = AnchorPlain);
    // Takes the control's present place as its anchored one, after the form moved it on
    // purpose: later resizes of the form keep it there instead of putting it back.
    void RecaptureAnchor(TWindowDesigner &control);
    // Timers: OnTimer(id) every `milliseconds` until KillTimer or the window's end.
    void SetTimer(int32_t id, int32_t milliseconds);
    void KillTimer(int32_t id);
    // Sets the text of every row that has an English text, in the chosen language.
    void ApplyTexts(bool english);
    // The widget with this id among the form's children, or null.
    wxWindow *Item(int32_t id) const;
    // The dialog font's base units (known once the window exists).
    const TDialogUnits &Units() const { return units_; }
    // Window height less caption, frame and menu: the client height.
    int32_t UsableHeight() const;
    // Runs `action`, showing the message of a program exception; returns whether it ran through.
    static bool Guarded(const std::function<void()> &action);

protected:
    // After the window and its controls exist, before it is shown: layout, then the
    // combo-box rule (every combo box that is a direct child becomes 150 pixels high).
    // Derived forms call this first. A program exception is shown and gives false.
    virtual bool OnInitDialog();
    // OK: the listeners' OnFormOK in order, then EndDialog(IDOK).
    virtual void OnOK();
    virtual void OnCancel();
    // A command from a control or menu; IDOK and IDCANCEL run OnOK / OnCancel. Returns
    // whether it was handled.
    virtual bool OnCommand(int32_t id, int32_t code);
    virtual void OnLinkClicked(int32_t id, int32_t anchor);
    virtual void OnVScroll(int32_t id, int32_t code);
    virtual void OnHScroll(int32_t id, int32_t code);
    virtual void OnTimer(int32_t id);
    virtual void OnActivate(bool active);
    // The bitmap of a picture row's resource; none by default.
    virtual wxBitmap LoadBitmapResource(int32_t resource);

private:
    friend class TFormWindow;
    bool CreateWindow(wxWindow *parent, const TDialogTemplate &dialogTemplate);
    void CreateControls(const TDialogTemplate &dialogTemplate);
    void ApplyComboBoxRule();
    int32_t DefaultButtonId() const;
    // The dialog manager's part of a key: Enter and Escape. Returns whether it consumed it.
    bool DialogKey(const TKeyMessage &message);
    void WindowGone();

    const TDialogTemplate *template_;
    TDialogUnits units_;
    TEventHandlers_Form formListeners_;
    std::map<int32_t, TControl *> bound_;
    std::map<int32_t, std::unique_ptr<wxTimer>> timers_;
    TFormWindow *dialog_ = nullptr;
};
