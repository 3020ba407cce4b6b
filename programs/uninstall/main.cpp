// QXWMECde, the uninstaller.
#include "programs/uninstall/removal_window.h"
#include "programs/uninstall/uninstall_program.h"

int main(int argc, char** argv) { return qx::RunWindowProgram<qx::RemovalWindow>(argc, argv, qx::kUninstaller); }
