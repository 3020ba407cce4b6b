// Where the suite's windows stand on the desktop: the screen the full-screen windows cover and the
// right-button program's button stands on, its work area, and how a window that must stand where
// its program puts it, above the others, gets there on a Wayland desktop.
//
// Qt's own Wayland windows cannot choose their place (the compositor places them, and tiles them on
// a tiling desktop). Such a window therefore goes through Xwayland there: on GNOME as a window its
// window manager manages (it honours the place and "above"); elsewhere (sway and the other
// wlroots desktops, KDE) as an X11 window the compositor does not manage, which those draw at the
// place asked, above their windows.
#pragma once

#include <QRect>
#include <Qt>

class QScreen;

namespace qx {

// The screen those windows go on: the touchscreen's monitor as the device service maps it (so
// that a touch lands on what it touches), found by its name or else its place; the primary screen
// where the service knows none. The one place that chooses it.
QScreen* WindowScreen();

// SCREEN's work area: the desktop's (SPI_GETWORKAREA) on the primary screen, else the screen less
// what the window system knows its panels take; empty without a screen.
QRect WorkAreaOn(const QScreen* screen);

// Before the QApplication is made, in a program whose window must stand where the program puts it:
// on a Wayland session with Xwayland (DISPLAY set), Qt's X11 platform, unless QT_QPA_PLATFORM names
// a platform other than Wayland.
void PlaceThroughXwayland();

// The window flags that keep such a window where it is put and above the others: on Xwayland of a
// Wayland session other than GNOME's, an X11 window the compositor does not manage; else none.
Qt::WindowFlags UnmanagedOnXwayland();

// Whether the window system lets a window choose its place: not Qt's Wayland platform.
bool WindowsChooseTheirPlace();

}  // namespace qx
