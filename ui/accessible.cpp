// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessible.h"

#include <atk/atk.h>
#include <gtk/gtk.h>
#include <wx/window.h>

namespace {

// The widget that takes the focus and the keys (for a text box, the text view inside its
// scrolled frame): the one a screen reader lands on.
AtkObject *AccessibleOf(wxWindow *window) {
    if (!window) return nullptr;
    GtkWidget *widget = window->GetConnectWidget();
    if (!widget) widget = window->GetHandle();
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

}  // namespace

void SetAccessibleRole(wxWindow *window, TAccessibleRole role) {
    if (AtkObject *accessible = AccessibleOf(window))
        atk_object_set_role(accessible, role == TAccessibleRole::Link ? ATK_ROLE_LINK : ATK_ROLE_LABEL);
}

void SetAccessibleName(wxWindow *window, const char *utf8) {
    if (AtkObject *accessible = AccessibleOf(window)) atk_object_set_name(accessible, utf8);
}

void SetAccessibleDescription(wxWindow *window, const char *utf8) {
    if (AtkObject *accessible = AccessibleOf(window)) atk_object_set_description(accessible, utf8);
}
