#include "platform/single_instance.h"

#include "host/instance_lock.h"
#include "host/window_bus.h"

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

bool BringCopyForward(HWND own, const std::string& caption) {
  const HWND copy = FindCopyWindow(own, caption);
  if (!copy) return false;
  SetForegroundWindow(copy);
  BringWindowToTop(copy);
  return true;
}

}  // namespace qx
