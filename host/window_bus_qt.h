// The window bus in a Qt program: one call at start puts the program's top-level windows on the
// bus, where other processes list them (caption = windowTitle(), visibility, parent), send them
// messages and bring them forward. Everything here runs on the UI thread.
#pragma once

#include <functional>

#include "host/win_types.h"

class QWidget;

namespace qx {

// A window's procedure: what SendMessageA to the window runs, on the UI thread.
using WindowProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// Call once, on the UI thread, after the QApplication is made. From then on every top-level
// widget (not menus, pop-ups or tool tips) is listed from its creation, hidden or shown, until it
// is destroyed; the socket goes when the application does. False when the socket cannot be made.
bool ServeWindowBus();

// The handle of WIDGET's window (pid × 256 + n); it stays the window's for its whole life.
// 0 without a QApplication.
HWND WindowHandle(QWidget* widget);

// The window a handle of this process names, or null.
QWidget* WindowWidget(HWND h);

// Replaces the window's procedure and returns the one it had; a window starts with the default
// procedure: WM_CLOSE closes the window, input messages (host/window_input.h) reach it as the
// person's input would, every message returns 0. A procedure that wants
// the default behaviour for a message calls the procedure it replaced.
WindowProc SetWindowProc(HWND h, WindowProc proc);

// Sets the instance word (GWW_HINSTANCE) that GetWindowWord reports; returns the previous one.
WORD SetWindowWord(HWND h, int index, WORD value);

}  // namespace qx
