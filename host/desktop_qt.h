// The desktop in a Qt program: one call after the QApplication is made gives the desktop calls
// (host/desktop.h) the primary screen, and gives the program's windows the desktop's live
// double-click time, now and whenever this or another process of the machine root changes it.
//
// Qt recognises a double-click by its time alone as far as this hook can set it: the rectangle is
// kept and reported (SM_CXDOUBLECLK, SM_CYDOUBLECLK), while the distance Qt allows between the two
// clicks is the platform's own.
#pragma once

namespace qx {

// Call once, on the UI thread, after the QApplication is made.
void InstallDesktopHook();

}  // namespace qx
