#include "programs/panel/control_panel.h"

#include <QApplication>

#include "host/window_bus_qt.h"
#include "programs/panel/main_window.h"
#include "ui/window_program.h"

namespace qx {

int RunControlPanel() {
  InitWindowProgram();
  ServeWindowBus();
  MainWindow window;
  switch (window.Load()) {
    case MainWindow::LoadResult::Failed: return 1;
    case MainWindow::LoadResult::CopyBrought: return 0;
    case MainWindow::LoadResult::Ready: break;
  }
  window.show();
  return QApplication::exec();
}

}  // namespace qx
