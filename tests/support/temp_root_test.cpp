// A fresh root ends what still runs on it as it goes: a machine a test booted and left running.
#include "tests/support/temp_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace qx::test {
namespace {

// Gone, or ended and not yet collected by its parent.
bool Ended(pid_t pid) {
  std::istringstream stat(ReadFile("/proc/" + std::to_string(pid) + "/stat"));
  std::string id, name, state;
  stat >> id >> name >> state;
  return state.empty() || state == "Z";
}

// The processes "qxmachine status" lists on the current root: its device service and programs.
std::vector<pid_t> MachineProcesses() {
  std::istringstream status(Run({Program("qxmachine"), "status"}).out);
  std::vector<pid_t> pids;
  for (std::string line; std::getline(status, line);) {
    if (const std::size_t at = line.find("(process "); at != std::string::npos)
      pids.push_back(std::stoi(line.substr(at + 9)));
    else if (line.rfind("  ", 0) == 0 && line.find_first_of("0123456789") == 2) pids.push_back(std::stoi(line));
  }
  return pids;
}

TEST(TempRoot, AMachineLeftRunningOnItEndsWithIt) {
  std::vector<pid_t> left;
  {
    TempRoot root;
    // The device service, named the root on its command line, and a program the log-on started,
    // given the root in its environment: neither is a child of this process.
    const std::string startUp = root.path() + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/";
    WriteFile(startUp + "stand-in.desktop",
              "[Desktop Entry]\nType=Application\nName=stand-in\nExec=" + Program("machine_stand_in") + "\n");
    ASSERT_EQ(qx::test::Run({Program("qxmachine"), "boot"}).exitCode, 0);
    left = MachineProcesses();
    ASSERT_EQ(left.size(), 2u);
  }
  for (pid_t pid : left) EXPECT_TRUE(Ended(pid)) << pid;
}

}  // namespace
}  // namespace qx::test
