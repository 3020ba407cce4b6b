// The rule that only one copy of a program runs on a machine root, and how a second copy finds
// the first copy's window and brings it forward.
#pragma once

#include <string>

#include "host/win_types.h"

namespace qx {

// Whether another process of PROGRAM (a name such as "QXWMECcp") already runs on this machine
// root. The first call takes a lock that this process then holds for its life, so the answer is
// known before this copy opens any window.
bool AnotherCopyRunning(const std::string& program);

// The other copy's top-level window whose title, as far as a 128-character buffer holds it,
// equals CAPTION exactly (case-sensitive); OWN, parented windows and windows with an instance
// word are skipped. 0 when there is none.
HWND FindCopyWindow(HWND own, const std::string& caption);

// The other copy's window (FindCopyWindow) brought to the foreground (SetForegroundWindow, then
// BringWindowToTop); false when there is none to be found.
bool BringCopyForward(HWND own, const std::string& caption);

}  // namespace qx
