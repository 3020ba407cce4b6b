// QXWMECcp, the control panel.  QXWMECcp [--root DIR]
#include <QApplication>
#include <cstring>

#include "host/machine_root.h"
#include "programs/panel/control_panel.h"

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--root")) qx::SetMachineRoot(argv[i + 1]);
  QApplication app(argc, argv);
  return qx::RunControlPanel();
}
