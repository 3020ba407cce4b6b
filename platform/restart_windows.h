// RestartWindows: the restart that ends an installation or a removal.
#pragma once

#include <string>

namespace qx {

// ExitWindowsEx(EWX_REBOOT, 0); true when it succeeded. When it fails, an OK box captioned TITLE
// says "Fail to restart system! (ExitWindowsEx=0)" and the result is false.
bool RestartWindows(const std::string& title);

}  // namespace qx
