// Program-wide state. The suite's modules keep theirs as the programs always have: variables of
// the module, alive for the whole program (the driver handle and buffers, the installation record,
// the calibration mode, the branding, the pointer's display count). Each module that keeps some
// registers here how a fresh process has it, and one call puts all of it back: a test then begins
// as a new process would.
#pragma once

namespace qx {

// Defined at namespace scope in a module's source: RESET puts that module's state back as a new
// process starts with it.
class ProgramState {
 public:
  explicit ProgramState(void (*reset)());
};

// Every registered module's state as at the start of a process.
void ResetProgramState();

}  // namespace qx
