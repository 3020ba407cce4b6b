// Input messages for the window bus: what a person does with keys and the mouse, as Win32 sends
// it to a window. SendMessageA of one of these to a window of another program (host/window_bus.h)
// hands it to that program's window system as real input, where it goes the way the person's own
// would: to the focused control, through shortcuts and mnemonics, to the control under a point.
// The message returns at once (0); the input is handled when the program next runs its events.
#pragma once

#include "host/win_types.h"

namespace qx {

// wParam: the virtual-key code. Shift, Ctrl and Alt stay held from their WM_KEYDOWN to their
// WM_KEYUP and modify the keys and clicks in between.
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
// lParam: MAKELPARAM(x, y) in the window's client pixels; wParam: the MK_ flags of the buttons
// held (Shift and Ctrl also count when held as keys).
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;

inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;

inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_SHIFT = 0x10;
inline constexpr WPARAM VK_CONTROL = 0x11;
inline constexpr WPARAM VK_MENU = 0x12;  // Alt
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;
// Letters and digits are their upper-case characters: 'A' 0x41 … 'Z', '0' … '9'.

constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>((static_cast<unsigned>(high) & 0xFFFFu) << 16 | (static_cast<unsigned>(low) & 0xFFFFu));
}

// Whether MSG is one of the input messages above.
constexpr bool IsInputMessage(UINT msg) {
  return msg == WM_KEYDOWN || msg == WM_KEYUP || (msg >= WM_MOUSEMOVE && msg <= WM_RBUTTONUP);
}

}  // namespace qx
