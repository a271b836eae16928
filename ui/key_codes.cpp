// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/key_codes.h"

#include <wx/defs.h>

int32_t VirtualKeyOf(int k) {
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if ((k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9')) return k;
    if (k >= WXK_F1 && k <= WXK_F24) return VK_F1 + (k - WXK_F1);
    if (k >= WXK_NUMPAD0 && k <= WXK_NUMPAD9) return 0x60 + (k - WXK_NUMPAD0);
    switch (k) {
    case WXK_BACK: return VK_BACK;
    case WXK_TAB: return VK_TAB;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: return VK_RETURN;
    case WXK_SHIFT: return VK_SHIFT;
    case WXK_CONTROL: return VK_CONTROL;
    case WXK_ALT: return VK_MENU;
    case WXK_PAUSE: return VK_PAUSE;
    case WXK_ESCAPE: return VK_ESCAPE;
    case WXK_SPACE: return VK_SPACE;
    case WXK_PAGEUP: return VK_PRIOR;
    case WXK_PAGEDOWN: return VK_NEXT;
    case WXK_END: return VK_END;
    case WXK_HOME: return VK_HOME;
    case WXK_LEFT: return VK_LEFT;
    case WXK_UP: return VK_UP;
    case WXK_RIGHT: return VK_RIGHT;
    case WXK_DOWN: return VK_DOWN;
    case WXK_INSERT: return VK_INSERT;
    case WXK_DELETE: return VK_DELETE;
    default: return 0;
    }
}
