// QXWMECao, the startup program (and, with /SDC, the double-click settings dialog).
#include "programs/startup/main_window.h"
#include "programs/startup/startup_program.h"

int main(int argc, char** argv) { return qx::RunWindowProgram<qx::MainWindow>(argc, argv, qx::kStartupProgram); }
