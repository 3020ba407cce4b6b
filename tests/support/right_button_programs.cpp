#include "tests/support/right_button_programs.h"

#include <cstdio>
#include <string>

#include "tests/support/bus_windows.h"
#include "tests/support/device_service.h"
#include "tests/support/wait.h"

namespace qx::test {

RbfState ReadRbf() {
  RbfState state;
  const std::string out = DeviceService::Qxctl("rbf");
  if (std::sscanf(out.c_str(), "Window=%d Armed=%d", &state.window, &state.armed) != 2) state = {};
  return state;
}

RbfState WaitForRbf(const std::function<bool(const RbfState&)>& condition) {
  return ReadStateUntil(ReadRbf, condition, 10000);
}

std::vector<HWND> VisibleRightButtonWindows() { return WindowsCaptioned(kRbfCaption, true); }

void EndRightButtonPrograms() { EndProgramsCaptioned(kRbfCaption); }

}  // namespace qx::test
