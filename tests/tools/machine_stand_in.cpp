// A stand-in program of a machine root for the qxmachine tests: it holds the lock run/NAME.lock
// (so qxmachine counts it among the root's programs), says in <root>/stand-in.log that it runs,
// and then waits until it is ended.
//
//   machine_stand_in --name NAME [--ignore-term] [--restart]
//
// --ignore-term: a program that does not end when asked. --restart: RestartWindows first, its
// result logged as "NAME restart RESULT".
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "host/instance_lock.h"
#include "host/machine_root.h"
#include "platform/restart_windows.h"

namespace {

void Log(const std::string& line) {
  std::ofstream(qx::MachineRoot() + "/stand-in.log", std::ios::app) << line << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  std::string name = "stand-in";
  bool ignoreTerm = false, restart = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--name") && i + 1 < argc) name = argv[++i];
    else if (!std::strcmp(argv[i], "--ignore-term")) ignoreTerm = true;
    else if (!std::strcmp(argv[i], "--restart")) restart = true;
  }
  if (ignoreTerm) ::signal(SIGTERM, SIG_IGN);
  if (!qx::TakeInstanceLock(name)) return 3;
  Log(name + " " + std::to_string(::getpid()));
  if (restart) Log(name + " restart " + std::to_string(qx::RestartWindows("Stand-in")));
  for (;;) ::pause();
}
