// qxmachine: the machine of a root from a shell: its start, restart and shut-down, what runs on
// it, and the desktop's double-click values.
#include "tools/common/tool_main.h"
#include "tools/qxmachine/commands.h"

namespace {

const char kUsageText[] =
    "usage: qxmachine [--root DIR] COMMAND [ARGS]\n"
    "  boot               unless the device service runs: end what is left of the machine, carry\n"
    "                     out WININIT.INI and start the service; then run the log-on entries\n"
    "  restart [--caller PID]\n"
    "                     end the programs of the root (PID too) and the device service, empty\n"
    "                     run/, then boot\n"
    "  shutdown [--caller PID]\n"
    "                     the same without the boot\n"
    "  status             the device service, the programs of the root, the log-on entries\n"
    "  desktop [NAME=N]...\n"
    "                     the desktop's double-click values (DoubleClickSpeed, DoubleClickWidth,\n"
    "                     DoubleClickHeight), after setting those given\n"
    "  keep FILE...       drop the deletions of these files (Windows paths) that WININIT.INI has\n"
    "                     pending for the next boot\n"
    "Programs of the root: those running on it with windows on its window bus, a lock in its run/,\n"
    "or started by its log-on. They are asked to end (SIGTERM) and killed after QX_END_TIMEOUT_MS\n"
    "(default 5000). Log-on entries: *.desktop files in C:\\WINDOWS\\Start Menu\\Programs\\StartUp.\n"
    "The device service: qxwmecomd from QX_TOOLS, else beside qxmachine, else the build's bin/.\n"
    "DIR: --root, else QX_ROOT, else the default root.\n"
    "boot, restart, shutdown and keep wait for one another (<root>/machine.lock).\n"
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
                               {"keep", Keep},
                           });
}
