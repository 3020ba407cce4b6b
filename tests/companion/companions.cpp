#include "tests/companion/companions.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/handles.h"
#include "host/process_handles.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"

namespace qx::test {

SmiState ReadSmi() {
  SmiState state;
  const std::string out = DeviceService::Qxctl("smi");
  if (std::sscanf(out.c_str(), "Window=%d RotationCode=%d", &state.window, &state.rotationCode) != 2) state = {};
  return state;
}

SmiState WaitForSmi(const std::function<bool(const SmiState&)>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  SmiState state;
  while (!condition(state = ReadSmi()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return state;
}

std::vector<HWND> CompanionWindows() {
  std::vector<HWND> found;
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char text[128];
    text[GetWindowTextA(h, text, sizeof text)] = '\0';
    if (std::string(text) == kCompanionCaption) found.push_back(h);
  }
  return found;
}

bool WaitForProcessEnd(int pid, int timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return true;  // gone already
  const bool ended = WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) == 0;
  CloseHandle(process);
  return ended;
}

void EndCompanions() {
  for (HWND h : CompanionWindows()) {
    ::kill(static_cast<pid_t>(h / 256), SIGKILL);
    WaitForProcessEnd(h / 256, 10000);
  }
}

}  // namespace qx::test
