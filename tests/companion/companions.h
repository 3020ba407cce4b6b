// The companion programs (QXWMECvr) of the current machine root, seen from outside as the suite
// sees them: their registration with the device service, their windows on the window bus.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx::test {

inline constexpr char kCompanionCaption[] = " TouchScreen Companion #QX-COM";

struct SmiState {
  int window = 0;
  int rotationCode = -99;  // -99 when it could not be read
};

// The registration as the service holds it now (qxctl smi).
SmiState ReadSmi();
// Reads the registration until CONDITION holds, for up to 10 s; the last state read.
SmiState WaitForSmi(const std::function<bool(const SmiState&)>& condition);

// Every window captioned as the companion's, of any process of the root.
std::vector<HWND> CompanionWindows();

// Ends every companion program of the root (SIGKILL, found by their windows) and waits, up to
// 10 s, until each is gone.
void EndCompanions();

// Waits up to TIMEOUT_MS for process PID (not a child of this one) to end; true when it did.
bool WaitForProcessEnd(int pid, int timeoutMs);

}  // namespace qx::test
