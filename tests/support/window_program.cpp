#include "tests/support/window_program.h"

#include <signal.h>
#include <sys/wait.h>

#include <stdexcept>

#include "host/window_bus.h"
#include "tests/support/bus_windows.h"
#include "tests/support/process.h"
#include "tests/support/wait.h"

namespace qx::test {

WindowProgram::WindowProgram(const std::string& caption, const std::vector<std::string>& extra) {
  std::vector<std::string> argv = {Program("bus_test_window"), "--caption", caption};
  argv.insert(argv.end(), extra.begin(), extra.end());
  pid_ = Spawn(argv);
  if (!WaitUntil([&] { return (main_ = Window(caption)) != 0; }, 10000)) {
    Kill(SIGKILL);
    throw std::runtime_error("bus_test_window did not show its window");
  }
}

WindowProgram::~WindowProgram() { Kill(SIGTERM); }

HWND WindowProgram::Window(const std::string& caption) const {
  for (HWND h : WindowsCaptioned(caption))
    if (h / 256 == pid_) return h;
  return 0;
}

bool WindowProgram::WaitForEnd(int timeoutMs) {
  if (pid_ <= 0) return true;
  if (!WaitUntil([this] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, timeoutMs)) return false;
  pid_ = -1;
  return true;
}

void WindowProgram::Kill(int sig) {
  if (pid_ > 0) KillAndWait(pid_, sig);
  pid_ = -1;
}

}  // namespace qx::test
