#include "tests/support/temp_root.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/machine_root.h"
#include "tests/support/wait.h"

namespace qx::test {

namespace {

// The live processes other than this one that run on ROOT: it follows --root on their command
// line, or is QX_ROOT in the environment they started with (a process that has ended has neither).
std::vector<pid_t> ProcessesOn(const std::string& root) {
  const std::string named = std::string("\0--root\0", 8) + root + '\0';
  const std::string inherited = std::string("\0QX_ROOT=", 9) + root + '\0';
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string id = entry.path().filename();
    if (id.find_first_not_of("0123456789") != std::string::npos || std::stol(id) == ::getpid()) continue;
    if (('\0' + ReadFile("/proc/" + id + "/cmdline")).find(named) != std::string::npos ||
        ('\0' + ReadFile("/proc/" + id + "/environ")).find(inherited) != std::string::npos)
      found.push_back(static_cast<pid_t>(std::stol(id)));
  }
  return found;
}

// Ends what still runs on ROOT before it goes: a machine a test started (through the installer or
// qxmachine) and did not shut down, as when an assertion ended the test early. Not through
// qxmachine, which would take this process for one of the root's programs when it serves windows
// there. Asked to end, then killed after five seconds.
void EndWhatRunsOn(const std::string& root) {
  for (pid_t pid : ProcessesOn(root)) ::kill(pid, SIGTERM);
  std::vector<pid_t> left;
  WaitUntil([&] { return (left = ProcessesOn(root)).empty(); }, 5000, 20);
  for (pid_t pid : left) ::kill(pid, SIGKILL);
}

}  // namespace

TempRoot::TempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qxroot-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made ? made : "";
  for (const char* name : {"QX_ROOT", "XDG_CURRENT_DESKTOP", "GSETTINGS_BACKEND"}) {
    const char* old = std::getenv(name);
    previous_.emplace_back(name, old ? old : "", old != nullptr);
  }
  SetMachineRoot(path_);
  unsetenv("XDG_CURRENT_DESKTOP");
  setenv("GSETTINGS_BACKEND", "memory", 1);
}

TempRoot::~TempRoot() {
  if (!path_.empty()) EndWhatRunsOn(path_);
  for (const auto& [name, value, set] : previous_) {
    if (set) setenv(name.c_str(), value.c_str(), 1);
    else unsetenv(name.c_str());
  }
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace qx::test
