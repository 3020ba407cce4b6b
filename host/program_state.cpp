#include "host/program_state.h"

#include <vector>

namespace qx {

namespace {

// Built on first use, so registrations from any module's static initialisation find it.
std::vector<void (*)()>& Resets() {
  static std::vector<void (*)()> resets;
  return resets;
}

}  // namespace

ProgramState::ProgramState(void (*reset)()) { Resets().push_back(reset); }

void ResetProgramState() {
  for (void (*reset)() : Resets()) reset();
}

}  // namespace qx
