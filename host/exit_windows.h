// ExitWindowsEx: restarts or shuts down the machine of the root, as qxmachine does it
// (tools/qxmachine): every program of the root is asked to end, and ended if it does not, the
// calling program among them; the rest follows in a process of its own that outlives the caller.
#pragma once

#include "host/win_types.h"

namespace qx {

inline constexpr UINT EWX_LOGOFF = 0;
inline constexpr UINT EWX_SHUTDOWN = 1;
inline constexpr UINT EWX_REBOOT = 2;
inline constexpr UINT EWX_FORCE = 4;
inline constexpr UINT EWX_POWEROFF = 8;

// EWX_REBOOT starts "qxmachine restart", else EWX_SHUTDOWN or EWX_POWEROFF "qxmachine shutdown", each
// told to end this process too; EWX_FORCE changes nothing (programs that do not end are ended
// anyway). TRUE once the work has started: the caller goes on until it is ended. Where there is
// no qxmachine at all (host/tool_path.h: the package that brought the tools was removed), the
// machine cannot start again: WININIT.INI is carried out at once (host/wininit.h), TRUE when it
// was, and the caller is not ended. FALSE when qxmachine is there but cannot be started, for a
// log-off, and as run/failing-calls asks.
BOOL ExitWindowsEx(UINT flags, DWORD reserved);

}  // namespace qx
