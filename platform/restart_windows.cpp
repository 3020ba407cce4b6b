#include "platform/restart_windows.h"

#include "host/exit_windows.h"
#include "host/message_box.h"

namespace qx {

bool RestartWindows(const std::string& title) {
  const BOOL result = ExitWindowsEx(EWX_REBOOT, 0);
  if (result) return true;
  const std::string text = "Fail to restart system! (ExitWindowsEx=" + std::to_string(result) + ")";
  MessageBoxA(0, text.c_str(), title.c_str(), MB_OK);
  return false;
}

}  // namespace qx
