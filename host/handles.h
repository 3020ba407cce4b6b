// The kernel handles the stand-ins hand out: device files (CreateFileA) and processes
// (OpenProcess). Each is a file descriptor of this process, remembered with its kind so that a
// call made with a handle of the wrong kind, or with a number it never handed out, fails.
#pragma once

#include "host/win_types.h"

namespace qx {

enum class HandleKind { Device, Process };

// Takes FD as a handle of KIND; CloseHandle closes it.
void AddHandle(int fd, HandleKind kind);
// Whether H is an open handle of KIND.
bool IsHandle(HANDLE h, HandleKind kind);
// Changes whenever a handle is added or closed: what a caller found out about a handle holds
// while this stays the same.
unsigned HandlesVersion();

// Closes a handle of any kind; FALSE (ERROR_INVALID_HANDLE) for anything else.
BOOL CloseHandle(HANDLE handle);

}  // namespace qx
