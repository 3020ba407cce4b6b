// Starting programs: WinExec, a start that yields the process id, and the show state a started
// program finds. The wait for a started program is host/process_handles.h.
#pragma once

#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx {

// Show states a starter passes; the child finds the number in QX_SHOWCMD.
inline constexpr UINT SW_HIDE = 0;
inline constexpr UINT SW_SHOWNORMAL = 1;

// What WinExec and StartProcess return: 33 when the program started, else a Win32 code below 32.
inline constexpr UINT EXEC_STARTED = 33;

// Starts the program that COMMAND_LINE names (read as host/command_line.h reads it), detached: it
// is not this process's child (never its zombie) and runs in a session of its own, so it outlives
// its starter. The program path is mapped with HostPath. SHOW_CMD reaches the program as
// QX_SHOWCMD. Its standard input is /dev/null; its output goes to the file QX_PROCESS_LOG names,
// else to /dev/null, so a starter's pipes are never held open by it.
// Returns EXEC_STARTED, ERROR_FILE_NOT_FOUND (2), ERROR_PATH_NOT_FOUND (3, the folder is missing),
// ERROR_BAD_FORMAT (11: not a runnable file), or 0 when this process is out of resources (no
// descriptor or process to be had; none is left open).
UINT WinExec(const char* commandLine, UINT showCmd);

// The show state this program was started with (QX_SHOWCMD); SW_SHOWNORMAL when it was not
// started by WinExec or the value is not a number.
UINT StartupShowCommand();

// WinExec that also gives the started program's process id (0 when it did not start).
UINT StartProcess(const char* commandLine, UINT showCmd, DWORD* processId);

// Starts the program at the host path ARGV[0] with the arguments after it, as StartProcess starts
// its programs (detached, QX_SHOWCMD, QX_PROCESS_LOG), with the same results: for the tools
// that run programs by their host paths.
UINT StartHostProgram(std::vector<std::string> argv, UINT showCmd, DWORD* processId);

}  // namespace qx
