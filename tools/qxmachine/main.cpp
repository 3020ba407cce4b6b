// qxmachine: the machine of a root from a shell: its start, restart and shut-down, what runs on
// it, and the desktop's double-click values.
#include "tools/common/tool_main.h"
#include "tools/qxmachine/commands.h"

namespace {

const char kUsageText[] =
    "usage: qxmachine [--root DIR] COMMAND [ARGS]\n"
    "  boot               start the device service unless it runs (carrying out WININIT.INI\n"
    "                     first), then run the log-on entries\n"
    "  restart [--caller PID]\n"
    "                     end the programs of the root (PID too) and the device service, empty\n"
    "                     run/, then boot\n"
    "  shutdown [--caller PID]\n"
    "                     the same without the boot\n"
    "  status             the device service, the programs of the root, the log-on entries\n"
    "  desktop [NAME=N]...\n"
    "                     the desktop's double-click values (DoubleClickSpeed, DoubleClickWidth,\n"
    "                     DoubleClickHeight), after setting those given\n"
    "Programs of the root: those with windows on its window bus or a lock in its run/. They are\n"
    "asked to end (SIGTERM) and killed after QX_END_TIMEOUT_MS (default 5000). Log-on entries:\n"
    "*.desktop files in C:\\WINDOWS\\Start Menu\\Programs\\StartUp. The device service: qxwmecomd\n"
    "from QX_TOOLS, else beside qxmachine, else the build's bin/.\n"
    "DIR: --root, else QX_ROOT, else the default root.\n"
    "Exit codes: 0 done (status: the machine runs), 1 a step failed, 3 the machine does not run,\n"
    "64 usage.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::machine;
  return qx::tool::RunTool(argc, argv, "qxmachine", kUsageText,
                           {
                               {"boot", Boot},
                               {"restart", Restart},
                               {"shutdown", Shutdown},
                               {"status", Status},
                               {"desktop", Desktop},
                           });
}
