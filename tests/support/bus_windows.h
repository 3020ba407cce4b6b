// The windows on the current machine root's window bus, as another program finds them.
#pragma once

#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx::test {

// The windows captioned CAPTION, of any process of the root, top first; only the visible ones
// when VISIBLE_ONLY.
std::vector<HWND> WindowsCaptioned(const std::string& caption, bool visibleOnly = false);

// Ends every program with a window captioned CAPTION (SIGKILL) and waits, up to 10 s each, until
// it is gone. Such programs were started detached (WinExec): they are nobody's children here.
void EndProgramsCaptioned(const std::string& caption);

}  // namespace qx::test
