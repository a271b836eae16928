// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TWindowDesigner: the second base of every form and control. It knows the wx window it
// serves and moves, sizes, shows and enables it in integer pixels; it dispatches key
// messages to two virtuals and keeps a listener list (mouse wheel).
//
// Coordinates: operations with a `client` flag use the parent's client coordinates when the
// flag is true and the window is a child (what controls use), screen coordinates otherwise
// (what top-level forms use; a top-level window counts as having no parent).
//
// Every operation raises "Window Not Assigned to Designer" while no window is attached:
// before the owner's window is created, and after wx has destroyed it (the designer hears
// of the destruction and lets the window go).
//
// Destroying a designer destroys the child window it serves; a form's top-level window is
// destroyed by the form (ui/form.h).

#include <cstdint>
#include <memory>

#include <wx/font.h>

#include "foundation/event_handlers.h"
#include "foundation/my_string.h"

class wxWindow;
class TWindowDesigner;

// Modifier keys of a key event, in this order: Shift held, Alt held, Ctrl held.
struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool operator==(const TShiftState &) const = default;
};

// Key-state flags of a mouse-wheel notification (the values the program compares against).
inline constexpr int32_t MK_LBUTTON = 0x0001;
inline constexpr int32_t MK_RBUTTON = 0x0002;
inline constexpr int32_t MK_SHIFT = 0x0004;
inline constexpr int32_t MK_CONTROL = 0x0008;
inline constexpr int32_t MK_MBUTTON = 0x0010;
// One notch of the wheel.
inline constexpr int32_t WHEEL_DELTA = 120;

class TEventHandler_WindowDesigner {
public:
    virtual ~TEventHandler_WindowDesigner() = default;
    // Reserved; the framework never calls it.
    virtual void OnDesignerNotify(TWindowDesigner * /*sender*/, int32_t /*a*/, int32_t /*b*/,
                                  int32_t /*c*/) {}
    // A control that handles the wheel turned it: key-state flags (MK_*), delta (positive
    // away from the user, WHEEL_DELTA per notch), cursor position in screen coordinates.
    virtual void OnMouseWheel(TWindowDesigner * /*sender*/, int32_t /*keyState*/,
                              int32_t /*delta*/, int32_t /*x*/, int32_t /*y*/) {}
};

class TEventHandlers_WindowDesigner : public TEventHandlers<TEventHandler_WindowDesigner> {
public:
    int32_t OnMouseWheel(TWindowDesigner *sender, int32_t keyState, int32_t delta, int32_t x,
                         int32_t y) {
        return Notify(&TEventHandler_WindowDesigner::OnMouseWheel, sender, keyState, delta, x,
                      y);
    }
};

// A key message as the framework dispatches it. Key codes are the program's virtual-key
// codes (ui/key_codes.h): letters and digits are their upper-case ASCII codes, Enter 13,
// Escape 27. A key going down with Alt held is a SysKeyDown.
enum class TKeyMessageKind { KeyDown, KeyUp, SysKeyDown, Other };

struct TKeyMessage {
    TKeyMessageKind Kind = TKeyMessageKind::Other;
    int32_t Key = 0;
    bool Shift = false;  // Shift held when the key moved
    bool Ctrl = false;   // Ctrl held when the key moved
    bool Alt = false;    // the message's context bit: Alt held
    wxWindow *Target = nullptr;  // the window that has the focus (receives the key)
};

class TWindowDesigner {
public:
    TWindowDesigner();
    virtual ~TWindowDesigner();
    TWindowDesigner(const TWindowDesigner &) = delete;
    TWindowDesigner &operator=(const TWindowDesigner &) = delete;

    // The window served, or null.
    wxWindow *Window() const { return window_; }
    bool HasWindow() const { return window_ != nullptr; }
    // Attaches the window (null detaches). The designer lets it go when wx destroys it.
    void SetWindow(wxWindow *window);

    // Shows the window in its size and position, activating it.
    virtual void Show();
    // Shows the window, activating it and restoring it from minimised or maximised.
    virtual void Restore();
    // Key virtuals; empty by default. `sender` is the designer's window.
    virtual void OnKeyDown(wxWindow *sender, int32_t key, TShiftState shift, bool &handled);
    virtual void OnKeyUp(wxWindow *sender, int32_t key, TShiftState shift, bool &handled);

    void SetLeft(int32_t x, bool client);
    void SetTop(int32_t y, bool client);
    void SetWidth(int32_t width);
    void SetHeight(int32_t height, bool client);
    int32_t GetLeft(bool client) const;
    int32_t GetTop(bool client) const;
    int32_t GetWidth() const;
    int32_t GetHeight() const;
    // Left (client coordinates) plus width; top plus height.
    int32_t GetRight() const;
    int32_t GetBottom() const;
    // Disabling or hiding (SetVisible) a control that has the focus first moves the focus on
    // to the next control of the window that takes it (round to the first after the last),
    // so that the keyboard never ends up nowhere.
    void SetEnabled(bool enabled);

    // Also offered, for the application code that shows and hides rows of controls.
    void SetVisible(bool visible);
    bool IsVisible() const;
    bool IsEnabled() const;
    void SetFocus();
    // The window's text (label, or value of an edit) in Windows-1254. The text read back is
    // the one shown, without a mnemonic's mark.
    void SetAnsiText(const char *text);
    MyString GetAnsiText() const;
    // A control's label with `mnemonic` as the letter Alt presses it by (ui/wx_text.h).
    void SetAnsiText(const char *text, char mnemonic);

    // Key dispatch: for KeyDown and SysKeyDown calls OnKeyDown, for KeyUp OnKeyUp, with the
    // designer's window as sender; other messages are left alone. Returns whether it called.
    bool DispatchKey(const TKeyMessage &message, bool &handled);

    TEventHandlers_WindowDesigner &Listeners() { return listeners_; }
    // The designer's own font, empty until set; the forms keep their fonts in members.
    wxFont Font;

protected:
    // Raises "Window Not Assigned to Designer" when no window is attached; else the window.
    wxWindow *Checked() const;
    // Called after the attached window was destroyed by wx (the pointer is already null).
    virtual void WindowDestroyed() {}
    // Lets a derived class tie handlers to its life: true while the designer is alive and
    // not being destroyed. Handlers bound to the window hold a copy and test it.
    std::shared_ptr<TWindowDesigner *> AliveToken() const { return alive_; }
    // Whether the designer destroys its window with itself (children: yes; forms manage
    // their own top-level windows).
    bool OwnsWindow = true;

private:
    wxWindow *window_ = nullptr;
    std::shared_ptr<TWindowDesigner *> alive_;
    TEventHandlers_WindowDesigner listeners_;
};

// Builds the shift state of a key message: Shift, Alt (the context bit), Ctrl.
inline TShiftState ShiftStateOf(const TKeyMessage &m) { return TShiftState{m.Shift, m.Alt, m.Ctrl}; }
