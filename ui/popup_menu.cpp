// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/popup_menu.h"

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "foundation/exceptions.h"
#include "ui/wx_text.h"

TPopupMenu::TPopupMenu(TForm *owner) : Owner(owner), menu_(std::make_unique<wxMenu>()) {}

TPopupMenu::~TPopupMenu() {
    if (attached_) (void)menu_.release();  // owned by the parent menu
}

void TPopupMenu::Append(int32_t id, const char *text) { menu_->Append(id, ToWx(text)); }
void TPopupMenu::AppendSeparator() { menu_->AppendSeparator(); }

void TPopupMenu::AppendSubMenu(TPopupMenu &submenu, const char *text) {
    menu_->AppendSubMenu(submenu.menu_.get(), ToWx(text));
    submenu.attached_ = true;
}

void TPopupMenu::Enable(int32_t id, bool enabled) { menu_->Enable(id, enabled); }
void TPopupMenu::Check(int32_t id, bool checked) { menu_->Check(id, checked); }
int32_t TPopupMenu::ItemCount() const { return int32_t(menu_->GetMenuItemCount()); }

void TPopupMenu::Clear() {
    while (menu_->GetMenuItemCount() > 0) menu_->Destroy(menu_->FindItemByPosition(0));
}

void TPopupMenu::Track() {
    listeners_.OnPopup(this);
    if (!Owner || !Owner->Dialog()) RaiseError("Window Not Assigned to Designer");
    wxDialog *window = Owner->Dialog();
    window->PopupMenu(menu_.get(), window->ScreenToClient(wxGetMousePosition()));
}
