// QXWMECdi, the installer.
#include "programs/setup/installer.h"
#include "programs/setup/setup_program.h"

int main(int argc, char** argv) { return qx::RunWindowProgram<qx::Installer>(argc, argv, qx::kSetupProgram); }
