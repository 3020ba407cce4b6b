// QXWMECvr, the companion program: registers its window and the screen's RotationCode with the
// device service, reports the screen size, and ends on SMI_CLOSE.
#include <QApplication>
#include <cstdio>

#include "companion/command_line.h"
#include "companion/companion_program.h"
#include "companion/companion_window.h"
#include "host/end_signals_qt.h"
#include "host/instance_lock.h"
#include "host/process_start.h"
#include "host/runtime_folder_qt.h"
#include "host/window_bus_qt.h"

int main(int argc, char** argv) {
  using namespace qx::companion;
  const CommandLine line = ReadCommandLine(argc, argv);
  if (line.exitCode) return *line.exitCode;
  // One copy per machine root, known before any window: the first copy's registration stands.
  if (!qx::TakeInstanceLock(kProgramName)) {
    std::fprintf(stderr, "%s: another copy runs on this machine root\n", kProgramName);
    return 0;
  }
  qx::QuietMissingRuntimeFolder();
  QApplication app(argc, argv);
  // Its window on the bus is what it registers: a window nobody could reach is no use.
  if (!qx::ServeWindowBus()) {
    std::fprintf(stderr, "%s: cannot serve its window on the window bus of this machine root\n", kProgramName);
    return 1;
  }
  CompanionWindow window(line.rotation);
  // The end signals close the window, which deregisters on the way out.
  qx::OnEndSignals(&window, [&window] { window.close(); });
  if (!window.Start()) return 1;
  if (qx::StartupShowCommand() != qx::SW_HIDE) window.show();
  return QApplication::exec();
}
