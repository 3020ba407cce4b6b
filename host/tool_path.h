// Where the machine's own programs are: the device service (qxwmecomd) and qxmachine, which
// starts, restarts and shuts down the machine of a root.
#pragma once

#include <string>

namespace qx {

// The file of the tool NAME, the first that exists of: the folder QX_TOOLS names (only there,
// when it is set); the folder of the running program; the folder the build put the tools in.
// NAME alone when none holds it (it is then looked for in PATH, if at all).
std::string ToolPath(const std::string& name);

}  // namespace qx
