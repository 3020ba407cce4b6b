#include "tests/companion/companions.h"

#include <cstdio>

#include "host/handles.h"
#include "host/process_handles.h"
#include "tests/support/bus_windows.h"
#include "tests/support/device_service.h"
#include "tests/support/wait.h"

namespace qx::test {

SmiState ReadSmi() {
  SmiState state;
  const std::string out = DeviceService::Qxctl("smi");
  if (std::sscanf(out.c_str(), "Window=%d RotationCode=%d", &state.window, &state.rotationCode) != 2) state = {};
  return state;
}

SmiState WaitForSmi(const std::function<bool(const SmiState&)>& condition) {
  return ReadStateUntil(ReadSmi, condition, 10000);
}

std::vector<HWND> CompanionWindows() { return WindowsCaptioned(kCompanionCaption); }

bool WaitForProcessEnd(int pid, int timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return true;  // gone already
  const bool ended = WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) == 0;
  CloseHandle(process);
  return ended;
}

void EndCompanions() { EndProgramsCaptioned(kCompanionCaption); }

}  // namespace qx::test
