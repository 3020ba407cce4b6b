// qxmachine against a real machine root: the device service, window programs on the bus, stand-in
// programs that hold locks, log-on entries and WININIT.INI; and ExitWindowsEx from a program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "host/machine_root.h"
#include "host/processes.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::Program;
using test::ReadFile;
using test::RunResult;
using test::TempRoot;
using test::WriteFile;

RunResult Qxmachine(const std::string& command, const std::vector<std::string>& env = {}) {
  std::vector<std::string> argv = {Program("qxmachine"), "--root", MachineRoot()};
  std::istringstream words(command);
  for (std::string w; words >> w;) argv.push_back(w);
  return test::Run(argv, env);
}

bool Running(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::size_t close = line.rfind(')');
  return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The process ids the stand-ins logged under NAME, in the order they started.
std::vector<pid_t> StandIns(const std::string& name) {
  std::istringstream log(ReadFile(MachineRoot() + "/stand-in.log"));
  std::vector<pid_t> pids;
  for (std::string line; std::getline(log, line);) {
    std::istringstream words(line);
    std::string who, what;
    if (words >> who >> what && who == name && what != "restart") pids.push_back(std::stoi(what));
  }
  return pids;
}

pid_t WindowOwner(const char* caption) { return FindWindowA(nullptr, caption) / 256; }

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp_ = root_.path() + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/";
    std::filesystem::create_directories(startUp_);
  }
  // Whatever the test leaves running on the root ends with it.
  void TearDown() override { Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"}); }

  void AddLogonEntry(const std::string& file, const std::string& body) {
    WriteFile(startUp_ + file, "[Desktop Entry]\nType=Application\nName=" + file + "\n" + body);
  }

  TempRoot root_;
  std::string startUp_;
};

TEST_F(MachineTest, RestartEndsEverythingCarriesOutWininitAndStartsAgain) {
  // The stand-in's log-on entry runs a copy in a folder with a blank, through a quoted Exec
  // line with a field code; a hidden entry never runs.
  const std::string spaced = root_.path() + "/Program Files/stand in";
  std::filesystem::create_directories(root_.path() + "/Program Files");
  std::filesystem::copy_file(Program("machine_stand_in"), spaced);
  AddLogonEntry("a stand-in.desktop", "Exec=\"" + spaced + "\" --name logon %U\n");
  AddLogonEntry("b window.desktop", "Exec=" + Program("bus_test_window") + " --caption \"Log-on window\"\n");
  AddLogonEntry("c hidden.desktop", "Hidden=true\nExec=" + spaced + " --name hidden\n");

  RunResult boot = Qxmachine("boot");
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  ASSERT_TRUE(WaitFor([] { return StandIns("logon").size() == 1 && WindowOwner("Log-on window"); }));
  int rc = -1;
  test::DeviceService::Qxctl("set SpeedH=7", &rc);
  ASSERT_EQ(rc, 0);
  // A program that does not end when asked, started as the suite starts its programs.
  ASSERT_EQ(WinExec((Program("machine_stand_in") + " --name stubborn --ignore-term").c_str(), SW_SHOWNORMAL),
            EXEC_STARTED);
  ASSERT_TRUE(WaitFor([] { return StandIns("stubborn").size() == 1; }));

  RunResult status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_NE(status.out.find("device service: running"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("(lock logon, started at log-on)"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("bus_test_window (windows, lock BusTestWindow, started at log-on)"), std::string::npos) << status.out;
  std::vector<pid_t> before = {StandIns("logon")[0], StandIns("stubborn")[0], WindowOwner("Log-on window")};
  const pid_t service = std::stoi(status.out.substr(status.out.find("(process ") + 9));
  before.push_back(service);

  const std::string c = root_.path() + "/drive_c/";
  WriteFile(c + "WINDOWS/QXWMECde.exe", "removal program");
  WriteFile(c + "old.txt", "moved");
  WriteFile(c + "WINDOWS/WININIT.INI",
            "[Other]\nNUL=C:\\keep.txt\n[rename]\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\nC:\\new.txt=C:\\old.txt\r\n");
  WriteFile(c + "keep.txt", "kept");

  RunResult restart = Qxmachine("restart", {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(restart.exitCode, 0) << restart.err;
  EXPECT_NE(restart.out.find("killed machine_stand_in"), std::string::npos) << restart.out;
  for (pid_t pid : before) EXPECT_FALSE(Running(pid)) << pid;

  EXPECT_FALSE(std::filesystem::exists(c + "WINDOWS/QXWMECde.exe"));
  EXPECT_EQ(ReadFile(c + "new.txt"), "moved");
  EXPECT_FALSE(std::filesystem::exists(c + "old.txt"));
  EXPECT_EQ(ReadFile(c + "keep.txt"), "kept");
  EXPECT_FALSE(std::filesystem::exists(c + "WINDOWS/WININIT.INI"));
  EXPECT_TRUE(std::filesystem::exists(c + "WINDOWS/WININIT.BAK"));

  EXPECT_EQ(test::DeviceService::Qxctl("get SpeedH", &rc), "7\n");
  EXPECT_EQ(rc, 0);
  ASSERT_TRUE(WaitFor([] { return StandIns("logon").size() == 2 && WindowOwner("Log-on window"); }));
  EXPECT_TRUE(StandIns("hidden").empty());
  EXPECT_EQ(StandIns("stubborn").size(), 1u);
}

TEST_F(MachineTest, ExitWindowsExRestartsTheMachineAndEndsItsCaller) {
  AddLogonEntry("stand-in.desktop", "Exec=" + Program("machine_stand_in") + " --name logon\n");
  ASSERT_EQ(Qxmachine("boot").exitCode, 0);
  ASSERT_TRUE(WaitFor([] { return StandIns("logon").size() == 1; }));

  ASSERT_EQ(WinExec((Program("machine_stand_in") + " --name caller --restart").c_str(), SW_SHOWNORMAL), EXEC_STARTED);
  ASSERT_TRUE(WaitFor([] { return StandIns("logon").size() == 2; }));
  EXPECT_NE(ReadFile(MachineRoot() + "/stand-in.log").find("caller restart 1\n"), std::string::npos);
  ASSERT_EQ(StandIns("caller").size(), 1u);
  EXPECT_TRUE(WaitFor([] { return !Running(StandIns("caller")[0]); }, 5000));
  EXPECT_FALSE(Running(StandIns("logon")[0]));
}

// A program the log-on just started has no window or lock yet (or never takes one): the machine
// ends it all the same, and a process that only shares its number is left alone.
TEST_F(MachineTest, WhatTheLogOnStartedEndsWithTheMachineBeforeItHasAWindow) {
  AddLogonEntry("sleeper.desktop", "Exec=/bin/sleep 300\n");
  RunResult boot = Qxmachine("boot");
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  const std::string started = "started sleeper.desktop (process ";
  const std::size_t at = boot.out.find(started);
  ASSERT_NE(at, std::string::npos) << boot.out;
  const pid_t sleeper = std::stoi(boot.out.substr(at + started.size()));
  ASSERT_TRUE(Running(sleeper));
  EXPECT_NE(Qxmachine("status").out.find("started at log-on"), std::string::npos);

  // This test's own process, listed as if the log-on had started it, was not started on this root.
  std::ofstream(RunDir() + "/logon-started", std::ios::app) << ::getpid() << '\n';
  RunResult shutdown = Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(shutdown.exitCode, 0) << shutdown.err;
  EXPECT_TRUE(WaitFor([&] { return !Running(sleeper); }, 5000));
}

TEST_F(MachineTest, WininitTouchesNothingOutsideTheDrivesAndAFailedLineIsReported) {
  const std::string outside = root_.path() + "/outside.txt";
  WriteFile(outside, "stays");
  WriteFile(root_.path() + "/drive_c/WINDOWS/WININIT.INI",
            "[rename]\nNUL=" + outside + "\nNUL=C:\\..\\..\\outside.txt\nC:\\b.txt=C:\\missing.txt\nNUL=C:\\\n");
  // A machine that is off carries out WININIT.INI as it boots.
  RunResult boot = Qxmachine("boot");
  EXPECT_EQ(boot.exitCode, 1);
  EXPECT_NE(boot.err.find("not a path on the machine's drives"), std::string::npos) << boot.err;
  EXPECT_NE(boot.err.find("cannot rename C:\\missing.txt"), std::string::npos) << boot.err;
  EXPECT_EQ(ReadFile(outside), "stays");
  EXPECT_TRUE(std::filesystem::is_directory(root_.path() + "/drive_c"));
  EXPECT_TRUE(std::filesystem::exists(root_.path() + "/drive_c/WINDOWS/WININIT.BAK"));

  RunResult status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 0);
  Qxmachine("shutdown");
  status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 3);
  EXPECT_NE(status.out.find("device service: not running"), std::string::npos);
}

TEST_F(MachineTest, DesktopValuesAreSetFromTheShellAndRefusedOutsideTheirRange) {
  RunResult set = Qxmachine("desktop DoubleClickSpeed=900 doubleclickwidth=32 DoubleClickHeight=65");
  EXPECT_EQ(set.exitCode, 1);
  EXPECT_EQ(set.out, "DoubleClickSpeed=900 DoubleClickWidth=32 DoubleClickHeight=4\n");
  EXPECT_NE(set.err.find("refuses DoubleClickHeight=65"), std::string::npos);
  EXPECT_EQ(Qxmachine("desktop DoubleClickSpeed=fast").exitCode, 64);
  // A restart starts the desktop from its defaults again.
  Qxmachine("restart");
  EXPECT_EQ(Qxmachine("desktop").out, "DoubleClickSpeed=500 DoubleClickWidth=4 DoubleClickHeight=4\n");
}

}  // namespace
}  // namespace qx
