#include "tests/support/program_test.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "host/window_bus.h"
#include "tests/support/wait.h"

namespace qx::test {

ProgramTest::ProgramTest(Service withService) {
  if (withService == Service::kStarted) service.emplace();
  if (const char* platform = std::getenv("QT_QPA_PLATFORM")) platform_ = platform;
  setenv("QX_MESSAGE_LOG", LogPath().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

ProgramTest::~ProgramTest() {
  // A program the test waited for itself is no child any more (ECHILD), one still running is.
  for (pid_t pid : spawned_)
    if (waitpid(pid, nullptr, WNOHANG) == 0) KillAndWait(pid, SIGKILL);
  unsetenv("QX_MESSAGE_LOG");
  if (platform_) setenv("QT_QPA_PLATFORM", platform_->c_str(), 1);
  else unsetenv("QT_QPA_PLATFORM");
}

std::string ProgramTest::LoggedBox(const std::string& title, const std::string& text, int type) {
  return title + "\t" + text + "\t" + std::to_string(type) + "\n";
}

RunResult ProgramTest::RunProgram(const std::string& name, const std::vector<std::string>& args,
                                  const std::vector<std::string>& env, int timeoutMs) {
  std::vector<std::string> argv{Program(name)};
  argv.insert(argv.end(), args.begin(), args.end());
  return ::qx::test::Run(argv, env, timeoutMs);  // not testing::Test::Run
}

RunResult ProgramTest::WithoutDriver(const std::function<RunResult()>& run) const {
  const std::string socket = RootFile("run/QXWMECOM");
  std::filesystem::rename(socket, socket + ".away");
  const RunResult result = run();
  std::filesystem::rename(socket + ".away", socket);
  return result;
}

HWND ProgramTest::WaitForWindow(const std::string& caption, pid_t pid, int ms) {
  HWND window = 0;
  WaitUntil(
      [&] {
        window = FindWindowA(nullptr, caption.c_str());
        if (window / 256 != pid || !IsWindowVisible(window)) window = 0;
        return window != 0;
      },
      ms, 20);
  return window;
}

pid_t ProgramTest::SpawnProgram(const std::vector<std::string>& argv, const std::string& log,
                                const std::vector<std::string>& env) {
  const pid_t pid = Spawn(argv, RootFile(log), env);
  spawned_.push_back(pid);
  return pid;
}

}  // namespace qx::test
