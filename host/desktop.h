// The desktop: the screen's size and work area, and the double-click time and rectangle.
//
// The double-click values are the desktop's live settings, shared by every process of the
// machine root through <root>/run/desktop/mouse.ini (section "Mouse": "DoubleClickSpeed",
// "DoubleClickWidth", "DoubleClickHeight"); a missing file or value, or one that is not a number
// the desktop accepts, reads as the default 500 ms and 4 × 4 pixels. They live as long as the
// machine runs: a restart starts from the defaults. The desktop accepts a time of 1 to 5000 ms
// and a rectangle side of 0 to 64 pixels and refuses anything else, as a desktop that cannot take
// a setting would. Where the person's desktop keeps a double-click time of its own (GNOME, KDE:
// host/desktop_home.h), the time is that one: read there, and written there as well as in the
// root (a desktop that does not take it: FALSE, nothing changed). Every call fails as
// run/failing-calls asks (host/failing_calls.h), by its
// name or by its name and index ("GetSystemMetrics:SM_CXSCREEN",
// "SystemParametersInfoA:SPI_SETDOUBLECLICKTIME").
//
// The screen comes from the window system: a program with windows installs its source
// (host/desktop_qt.h); without one the screen measures 0 and there is no work area.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/win_types.h"

namespace qx {

// GetSystemMetrics
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;

// SystemParametersInfoA
inline constexpr UINT SPI_SETDOUBLECLKWIDTH = 29;
inline constexpr UINT SPI_SETDOUBLECLKHEIGHT = 30;
inline constexpr UINT SPI_SETDOUBLECLICKTIME = 32;
inline constexpr UINT SPI_GETWORKAREA = 48;
inline constexpr UINT SPIF_UPDATEINIFILE = 1;
inline constexpr UINT SPIF_SENDWININICHANGE = 2;

inline constexpr UINT kDefaultDoubleClickTime = 500;
inline constexpr UINT kDefaultDoubleClickSide = 4;
inline constexpr UINT kMaxDoubleClickTime = 5000;
inline constexpr UINT kMaxDoubleClickSide = 64;

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

// SM_CXSCREEN, SM_CYSCREEN: the primary screen in pixels; SM_CXDOUBLECLK, SM_CYDOUBLECLK: the
// double-click rectangle. 0 for any other index and on failure.
int GetSystemMetrics(int index);

// SPI_SETDOUBLECLKWIDTH, SPI_SETDOUBLECLKHEIGHT, SPI_SETDOUBLECLICKTIME set the live value PARAM
// (every process of the root sees it at once, whatever WIN_INI asks); SPI_GETWORKAREA fills the
// RECT at PV_PARAM with the primary screen less the panels the window system keeps. FALSE for a
// value the desktop refuses, any other action, and on failure.
BOOL SystemParametersInfoA(UINT action, UINT param, void* pvParam, UINT winIni);

// The double-click time in milliseconds; FALSE for a time the desktop refuses.
BOOL SetDoubleClickTime(UINT milliseconds);
UINT GetDoubleClickTime();

// What a window system tells of the primary screen.
struct ScreenGeometry {
  RECT screen;
  RECT workArea;
};
using ScreenSource = std::function<std::optional<ScreenGeometry>()>;
// Replaces the screen's source and returns the previous one.
ScreenSource SetScreenSource(ScreenSource source);

// Called after this process changed a double-click value, so that its own windows follow at once.
using DesktopChangeHook = std::function<void()>;
DesktopChangeHook SetDesktopChangeHook(DesktopChangeHook hook);

// The desktop session: a Wayland session (WAYLAND_DISPLAY set, or XDG_SESSION_TYPE "wayland"), whose
// X11 programs run in Xwayland and reach only Xwayland's windows; and whether it is GNOME's
// (XDG_CURRENT_DESKTOP names it), whose window manager honours an X11 window's place and "above".
bool WaylandSession();
bool GnomeDesktop();
// Whether XDG_CURRENT_DESKTOP's list (ubuntu:GNOME) names the desktop NAME.
bool DesktopNamed(std::string_view name);

// The folder that holds the live values (<root>/run/desktop, made on demand): a window system
// watches it to follow the changes other processes make.
std::string DesktopFolder();

}  // namespace qx
