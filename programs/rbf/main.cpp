// QXWMECrb, the right-button program.
#include "programs/rbf/rbf_program.h"
#include "programs/rbf/right_button_window.h"

int main(int argc, char** argv) {
  return qx::RunWindowProgram<qx::RightButtonWindow>(argc, argv, qx::kRightButtonProgram);
}
