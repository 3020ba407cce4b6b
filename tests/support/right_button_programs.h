// The right-button programs (QXWMECrb) of the current machine root, seen from outside as the
// other programs see them: their registration with the device service, their windows on the
// window bus.
#pragma once

#include <functional>
#include <vector>

#include "host/win_types.h"

namespace qx::test {

inline constexpr char kRbfCaption[] = " C-RBF";

struct RbfState {
  int window = 0;
  int armed = -1;
};

// The registration as the service holds it now (qxctl rbf); armed -1 when it could not be read.
RbfState ReadRbf();
// Reads the registration until CONDITION holds, for up to 10 s; the last state read.
RbfState WaitForRbf(const std::function<bool(const RbfState&)>& condition);

// The visible windows captioned " C-RBF", of any process of the root.
std::vector<HWND> VisibleRightButtonWindows();

// Ends every right-button program of the root (SIGKILL, found by their windows) and waits, up to
// 10 s, until each is gone.
void EndRightButtonPrograms();

}  // namespace qx::test
