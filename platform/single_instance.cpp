// AnotherCopyRunning and FindCopyWindow of platform/program_start.h.
#include <string>

#include "host/instance_lock.h"
#include "host/window_bus.h"
#include "platform/program_start.h"

namespace qx {

bool AnotherCopyRunning(const std::string& program) { return !TakeInstanceLock(program); }

HWND FindCopyWindow(HWND own, const std::string& caption) {
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == own || GetParent(h) != 0 || GetWindowWord(h, GWW_HINSTANCE) != 0) continue;
    char title[128];
    int copied = GetWindowTextA(h, title, sizeof title);
    if (GetWindowTextLengthA(h) > 0 && std::string(title, static_cast<std::size_t>(copied)) == caption) return h;
  }
  return 0;
}

}  // namespace qx
