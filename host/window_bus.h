// The window calls between programs: every program process serves its top-level windows on the
// window bus (<root>/run/windows/<pid>, see host/window_bus_qt.h for the serving side), and
// these calls reach the windows of all live processes of the machine root. No window system is
// needed to call them. A window handle is the owner's process id × 256 + a number 1..255.
//
// Every call that reaches another process is bounded (WindowBusTimeoutMs): a handle of a dead
// process, or of a window that is gone, fails at once (0, FALSE, empty text); a process that does
// not answer in time counts as gone for the next second, so one stuck program cannot make a walk
// over the windows slow.
#pragma once

#include "host/win_types.h"

namespace qx {

inline constexpr UINT WM_CLOSE = 0x0010;

// GetWindow
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;

// GetWindowWord: the instance word.
inline constexpr int GWW_HINSTANCE = -6;

// The first top-level window whose caption is WINDOW_NAME (any when it is null); windows have
// no classes here, so CLASS_NAME is not looked at. The order of top-level windows: visible
// before hidden, the most recently shown or activated first.
HWND FindWindowA(const char* className, const char* windowName);

// GW_HWNDNEXT / GW_HWNDPREV: the window after or before H in the top-level order, as listed by
// the last FindWindowA of this thread while it still holds H; GW_HWNDFIRST / GW_HWNDLAST: the
// first or last now. 0 when there is none.
HWND GetWindow(HWND h, UINT cmd);

HWND GetParent(HWND h);
// The instance word for GWW_HINSTANCE (0 unless the window's program set one); 0 for other indexes.
WORD GetWindowWord(HWND h, int index);
// Copies at most MAX_COUNT - 1 characters of the caption and a terminating zero; returns how
// many characters it copied.
int GetWindowTextA(HWND h, char* text, int maxCount);
int GetWindowTextLengthA(HWND h);
BOOL IsWindow(HWND h);
BOOL IsWindowVisible(HWND h);

// Runs the window's procedure on its program's UI thread and returns its result; the caller
// waits for it, at most WindowBusTimeoutMs. 0 when the window is gone or does not answer in time
// (nothing is sent to a window that is gone). A UI thread that waits here goes on answering the
// messages sent to its own windows meanwhile.
LRESULT SendMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// Raise the window above the others of the desktop and activate it, in its own process.
BOOL SetForegroundWindow(HWND h);
BOOL BringWindowToTop(HWND h);

// The bound of one call to another process (QX_WINDOW_TIMEOUT_MS, default 2000 ms).
int WindowBusTimeoutMs();

}  // namespace qx
