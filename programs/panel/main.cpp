// QXWMECcp, the control panel.
#include "programs/panel/main_window.h"
#include "programs/panel/panel_program.h"

int main(int argc, char** argv) { return qx::RunWindowProgram<qx::MainWindow>(argc, argv, qx::kControlPanel); }
