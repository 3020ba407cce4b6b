// qxmachine: the machine of a root from a shell: its start, restart and shut-down, what runs on
// it, and the desktop's double-click values.
#include "tools/common/tool_main.h"
#include "tools/qxmachine/commands.h"

namespace {

const qx::tool::ToolHelp kHelp{
    "qxmachine",
    "Starts, restarts and shuts down the machine of a root: its device service, the programs that\n"
    "run on it and its log-on entries; and the desktop's double-click values.",
    "Programs of the root: those running on it with windows on its window bus, a lock in its run/,\n"
    "or started by its log-on. They are asked to end (SIGTERM) and killed after QX_END_TIMEOUT_MS\n"
    "(default 5000). Log-on entries: *.desktop files in C:\\WINDOWS\\Start Menu\\Programs\\StartUp.\n"
    "The device service: qxwmecomd from QX_TOOLS, else beside qxmachine, else the build's bin/.\n"
    "boot, restart, shutdown and keep wait for one another (<root>/machine.lock).\n",
    "  0   done (status: the machine runs)\n"
    "  1   a step failed\n"
    "  3   status: the machine does not run\n"
    "  64  usage: a wrong command line\n",
};

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::machine;
  return qx::tool::RunTool(
      argc, argv, kHelp,
      {
          {"boot", "",
           "unless the device service runs: end what is left of the machine, carry\nout WININIT.INI and start the "
           "service; then run the log-on entries",
           Boot},
          {"restart", "[--caller PID]",
           "end the programs of the root (PID too) and the device service, empty\nrun/, then boot", Restart},
          {"shutdown", "[--caller PID]", "the same without the boot", Shutdown},
          {"status", "", "the device service, the programs of the root, the log-on entries", Status},
          {"desktop", "[NAME=N]...",
           "the desktop's double-click values (DoubleClickSpeed, DoubleClickWidth,\nDoubleClickHeight), after setting "
           "those given",
           Desktop},
          {"keep", "FILE...",
           "drop the deletions of these files (Windows paths) that WININIT.INI has\npending for the next boot", Keep},
      });
}
