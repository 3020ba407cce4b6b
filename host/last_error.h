// GetLastError and SetLastError: the calling thread's last error code, as the stand-ins that set
// it leave it (device files, CloseHandle).
#pragma once

#include "host/win_types.h"

namespace qx {

DWORD GetLastError();
void SetLastError(DWORD error);

}  // namespace qx
