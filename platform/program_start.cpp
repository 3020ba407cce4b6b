#include "platform/program_start.h"

#include "core/settings_store.h"
#include "host/process_start.h"

namespace qx {

namespace {

bool Start(const char* program, UINT showCmd) {
  std::string path = InstallPath + "\\" + program;
  return WinExec(path.c_str(), showCmd) >= 32;
}

}  // namespace

bool StartRbfProgram() { return Start(RBF_PROGRAM, SW_HIDE); }
bool StartSmiProgram() { return Start(SMI_PROGRAM, SW_SHOWNORMAL); }

}  // namespace qx
