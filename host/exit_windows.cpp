#include "host/exit_windows.h"

#include <unistd.h>

#include <string>

#include "host/failing_calls.h"
#include "host/machine_root.h"
#include "host/process_start.h"
#include "host/tool_path.h"

namespace qx {

BOOL ExitWindowsEx(UINT flags, DWORD) {
  if (CallFails("ExitWindowsEx")) return FALSE;
  const char* command = (flags & EWX_REBOOT)                      ? "restart"
                        : (flags & (EWX_SHUTDOWN | EWX_POWEROFF)) ? "shutdown"
                                                                  : nullptr;
  if (!command) return FALSE;
  // The root goes along by name, so that the detached process works on this machine whatever
  // its environment says.
  UINT started = StartHostProgram(
      {ToolPath("qxmachine"), "--root", MachineRoot(), command, "--caller", std::to_string(::getpid())}, SW_HIDE,
      nullptr);
  return started == EXEC_STARTED ? TRUE : FALSE;
}

}  // namespace qx
