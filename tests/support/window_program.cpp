#include "tests/support/window_program.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "host/window_bus.h"
#include "tests/support/process.h"

namespace qx::test {

WindowProgram::WindowProgram(const std::string& caption, const std::vector<std::string>& extra) {
  std::vector<std::string> argv = {Program("bus_test_window"), "--caption", caption};
  argv.insert(argv.end(), extra.begin(), extra.end());
  pid_ = Spawn(argv);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!(main_ = Window(caption))) {
    if (std::chrono::steady_clock::now() > deadline) {
      Kill(SIGKILL);
      throw std::runtime_error("bus_test_window did not show its window");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

WindowProgram::~WindowProgram() { Kill(SIGTERM); }

HWND WindowProgram::Window(const std::string& caption) const {
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char text[512];
    int n = GetWindowTextA(h, text, sizeof text);
    if (h / 256 == pid_ && std::string(text, static_cast<std::size_t>(n)) == caption) return h;
  }
  return 0;
}

bool WindowProgram::WaitForEnd(int timeoutMs) {
  if (pid_ <= 0) return true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

void WindowProgram::Kill(int sig) {
  if (pid_ > 0) KillAndWait(pid_, sig);
  pid_ = -1;
}

}  // namespace qx::test
