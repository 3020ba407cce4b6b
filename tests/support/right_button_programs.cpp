#include "tests/support/right_button_programs.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/handles.h"
#include "host/process_handles.h"
#include "host/process_start.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"

namespace qx::test {

namespace {

template <typename Condition>
bool Within10s(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Every window captioned " C-RBF"; VISIBLE_ONLY leaves out the hidden ones.
std::vector<HWND> RightButtonWindows(bool visibleOnly) {
  std::vector<HWND> found;
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char text[128];
    text[GetWindowTextA(h, text, sizeof text)] = '\0';
    if (std::string(text) == kRbfCaption && (!visibleOnly || IsWindowVisible(h))) found.push_back(h);
  }
  return found;
}

}  // namespace

RbfState ReadRbf() {
  RbfState state;
  const std::string out = DeviceService::Qxctl("rbf");
  if (std::sscanf(out.c_str(), "Window=%d Armed=%d", &state.window, &state.armed) != 2) state = {};
  return state;
}

RbfState WaitForRbf(const std::function<bool(const RbfState&)>& condition) {
  RbfState state;
  Within10s([&] { return condition(state = ReadRbf()); });
  return state;
}

std::vector<HWND> VisibleRightButtonWindows() { return RightButtonWindows(true); }

void EndRightButtonPrograms() {
  // The programs were started detached (WinExec): they are nobody's children here.
  for (HWND h : RightButtonWindows(false)) {
    const DWORD pid = static_cast<DWORD>(h / 256);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    if (process) {
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
}

}  // namespace qx::test
