#include "tests/support/bus_windows.h"

#include <signal.h>

#include "host/handles.h"
#include "host/process_handles.h"
#include "host/window_bus.h"

namespace qx::test {

std::vector<HWND> WindowsCaptioned(const std::string& caption, bool visibleOnly) {
  std::vector<HWND> found;
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char text[512];
    const int n = GetWindowTextA(h, text, sizeof text);
    if (std::string(text, static_cast<std::size_t>(n)) == caption && (!visibleOnly || IsWindowVisible(h)))
      found.push_back(h);
  }
  return found;
}

void EndProgramsCaptioned(const std::string& caption) {
  for (HWND h : WindowsCaptioned(caption)) {
    const DWORD pid = static_cast<DWORD>(h / 256);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);  // before the kill: no reaped pid
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    if (process) {
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
}

}  // namespace qx::test
