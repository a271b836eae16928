// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPopupMenu: a pop-up menu whose commands go to its owner form (OnCommand with the item's
// id). The owner adds items, then Track tells the listeners (OnPopup) and shows the menu at
// the mouse cursor.

#include <cstdint>
#include <memory>

#include "ui/form.h"

class wxMenu;

class TPopupMenu {
public:
    explicit TPopupMenu(TForm *owner = nullptr);
    ~TPopupMenu();
    TPopupMenu(const TPopupMenu &) = delete;
    TPopupMenu &operator=(const TPopupMenu &) = delete;

    TForm *Owner;
    TEventHandlers_PopupMenu &Listeners() { return listeners_; }
    wxMenu *Menu() const { return menu_.get(); }

    // Items (texts in Windows-1254).
    void Append(int32_t id, const char *text);
    void AppendSeparator();
    // Adds `submenu` as a sub-menu; the sub-menu object keeps owning its items but must
    // live as long as this menu.
    void AppendSubMenu(TPopupMenu &submenu, const char *text);
    void Enable(int32_t id, bool enabled);
    void Check(int32_t id, bool checked);
    int32_t ItemCount() const;
    void Clear();

    // Notifies the listeners, then shows the menu at the mouse position; the chosen item's
    // command goes to the owner. Returns after the menu has closed.
    void Track();

private:
    std::unique_ptr<wxMenu> menu_;
    TEventHandlers_PopupMenu listeners_;
    bool attached_ = false;  // the menu is a sub-menu of another (which then owns the wxMenu)
};
