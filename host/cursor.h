// ShowCursor: the pointer's display count of this process. The pointer shows while the count is
// zero or more; it starts at 0, as on a machine with a mouse installed. The count itself lives
// here; a window program installs a hook that makes the change visible on its windows.
#pragma once

#include <functional>

#include "host/win_types.h"

namespace qx {

// Adds 1 (SHOW true) or takes 1 away (SHOW false) and returns the new display count.
int ShowCursor(BOOL show);

// Called with the new visibility whenever the count crosses between -1 and 0.
using CursorVisibilityHook = std::function<void(bool visible)>;
CursorVisibilityHook SetCursorVisibilityHook(CursorVisibilityHook hook);

}  // namespace qx
