#include "host/exit_windows.h"

#include <unistd.h>

#include <string>

#include "host/failing_calls.h"
#include "host/machine_root.h"
#include "host/process_start.h"
#include "host/tool_path.h"
#include "host/wininit.h"

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
  if (started == EXEC_STARTED) return TRUE;
  // No qxmachine at all: the machine's tools went with the package that brought them, and the
  // machine cannot start again. What lasts of its restart, the files WININIT.INI deletes and
  // renames, is done here; the caller then ends by itself.
  if (started == static_cast<UINT>(ERROR_FILE_NOT_FOUND) || started == static_cast<UINT>(ERROR_PATH_NOT_FOUND))
    return CarryOutWininit() ? TRUE : FALSE;
  return FALSE;
}

}  // namespace qx
