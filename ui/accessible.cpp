// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessible.h"

#include <atk/atk.h>
#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>
#include <wx/window.h>

#include <set>

namespace {

// The widget that takes the focus and the keys (for a text box, the text view inside its
// scrolled frame): the one a screen reader lands on.
AtkObject *AccessibleOf(wxWindow *window) {
    if (!window) return nullptr;
    GtkWidget *widget = window->GetConnectWidget();
    if (!widget) widget = window->GetHandle();
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

// The key under which a widget carries what its accessible "click" does.
const char *const PressKey = "narrelo-accessible-press";

std::function<void()> *PressOf(AtkAction *action) {
    GtkWidget *widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(action));
    return widget ? static_cast<std::function<void()> *>(g_object_get_data(G_OBJECT(widget), PressKey)) : nullptr;
}

gint ActionCount(AtkAction *action) { return PressOf(action) ? 1 : 0; }

gboolean DoAction(AtkAction *action, gint i) {
    std::function<void()> *press = PressOf(action);
    if (!press || i != 0) return FALSE;
    (*press)();
    return TRUE;
}

const gchar *ActionName(AtkAction *action, gint i) { return PressOf(action) && i == 0 ? "click" : nullptr; }

void InitAction(AtkActionIface *iface) {
    iface->get_n_actions = ActionCount;
    iface->do_action = DoAction;
    iface->get_name = ActionName;
}

}  // namespace

// The accessible object of wx's own container widget (behind every drawn control), with an
// action for those that were given one: the same as the toolkit's, which has no action.
struct NarreloPanelAccessible {
    GtkContainerAccessible parent;
};
struct NarreloPanelAccessibleClass {
    GtkContainerAccessibleClass parent_class;
};
G_DEFINE_TYPE_WITH_CODE(NarreloPanelAccessible, narrelo_panel_accessible, GTK_TYPE_CONTAINER_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, InitAction))
static void narrelo_panel_accessible_init(NarreloPanelAccessible *) {}
static void narrelo_panel_accessible_class_init(NarreloPanelAccessibleClass *) {}

void SetAccessibleAction(wxWindow *window, std::function<void()> press) {
    GtkWidget *widget = window ? window->GetConnectWidget() : nullptr;
    if (!widget || !GTK_IS_CONTAINER(widget)) return;
    // The widget's class makes its accessible objects of the kind above from now on.
    static std::set<GType> retyped;
    if (retyped.insert(G_OBJECT_TYPE(widget)).second)
        gtk_widget_class_set_accessible_type(GTK_WIDGET_GET_CLASS(widget), narrelo_panel_accessible_get_type());
    g_object_set_data_full(G_OBJECT(widget), PressKey, new std::function<void()>(std::move(press)),
                           [](gpointer p) { delete static_cast<std::function<void()> *>(p); });
}

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
