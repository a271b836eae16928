// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's virtual-key codes and their translation from wx key codes. Letters and
// digits are their upper-case ASCII codes.

#include <cstdint>

inline constexpr int32_t VK_BACK = 0x08;
inline constexpr int32_t VK_TAB = 0x09;
inline constexpr int32_t VK_RETURN = 0x0D;
inline constexpr int32_t VK_SHIFT = 0x10;
inline constexpr int32_t VK_CONTROL = 0x11;
inline constexpr int32_t VK_MENU = 0x12;  // Alt
inline constexpr int32_t VK_PAUSE = 0x13;
inline constexpr int32_t VK_ESCAPE = 0x1B;
inline constexpr int32_t VK_SPACE = 0x20;
inline constexpr int32_t VK_PRIOR = 0x21;
inline constexpr int32_t VK_NEXT = 0x22;
inline constexpr int32_t VK_END = 0x23;
inline constexpr int32_t VK_HOME = 0x24;
inline constexpr int32_t VK_LEFT = 0x25;
inline constexpr int32_t VK_UP = 0x26;
inline constexpr int32_t VK_RIGHT = 0x27;
inline constexpr int32_t VK_DOWN = 0x28;
inline constexpr int32_t VK_INSERT = 0x2D;
inline constexpr int32_t VK_DELETE = 0x2E;
inline constexpr int32_t VK_F1 = 0x70;  // VK_F1 + n - 1 for Fn, up to F24

// A wx key code (wxKeyEvent::GetKeyCode) as a virtual-key code; 0 for keys without one.
int32_t VirtualKeyOf(int wxKey);
