// The real QXWMECde, installed by install-suite into a fresh root whose machine runs (qxmachine),
// driven through the window bus as a person would; its boxes are logged (QX_MESSAGE_LOG).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/driver_link.h"
#include "host/handles.h"
#include "host/machine_root.h"
#include "host/process_handles.h"
#include "host/process_start.h"
#include "host/window_bus.h"
#include "host/window_input.h"
#include "tests/support/device_service.h"
#include "tests/support/program_test.h"
#include "tests/support/right_button_programs.h"
#include "tests/support/suite_installation.h"
#include "tests/support/wait.h"
#include "tests/support/window_program.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;

constexpr char kTitle[] = "TouchScreen Software Removal";

bool Alive(pid_t pid) { return fs::exists("/proc/" + std::to_string(pid)); }

// The machine's programs are given a second to end.
RunResult QuickQxmachine(const std::string& command) { return Qxmachine(command, {"QX_END_TIMEOUT_MS=1000"}); }

class RemovalProgram : public ProgramTest {
 protected:
  RemovalProgram() : ProgramTest(Service::kNone) {}
  void SetUp() override {
    MakeBuildFolder(build, {"QXWMECde", "QXWMECrb"});
    const RunResult installed = InstallSuite(build);
    ASSERT_EQ(installed.exitCode, 0) << installed.err;
    const RunResult boot = QuickQxmachine("boot");
    ASSERT_EQ(boot.exitCode, 0) << boot.err;
  }
  void TearDown() override { QuickQxmachine("shutdown"); }

  // Starts the uninstaller from the Windows folder, as a person would, and gives its window once shown.
  HWND StartUninstaller() {
    EXPECT_EQ(StartProcess("C:\\WINDOWS\\QXWMECde.exe", SW_SHOWNORMAL, &pid), EXEC_STARTED);
    process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    HWND window = 0;
    EXPECT_TRUE(
        WaitUntil([&] { return (window = FindWindowA(nullptr, kTitle)) && IsWindowVisible(window); }, 30000, 50));
    return window;
  }
  // Alt and KEY, the mnemonic of one of its buttons.
  static void PressMnemonic(HWND window, WPARAM key) {
    SendMessageA(window, WM_KEYDOWN, VK_MENU, 0);
    SendMessageA(window, WM_KEYDOWN, key, 0);
    SendMessageA(window, WM_KEYUP, key, 0);
    SendMessageA(window, WM_KEYUP, VK_MENU, 0);
  }
  bool Ended(DWORD ms) {
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
  }
  std::string Installed(const std::string& file) const { return root.path() + kInstalledFolder + "/" + file; }

  std::string build = root.path() + "/build";
  DWORD pid = 0;
  HANDLE process = 0;
};

TEST_F(RemovalProgram, YesRemovesTheSuiteAndTheRestartDeletesTheUninstaller) {
  const MouseDevice other = RegisterMouse("Standard mouse types", "SerMouse");
  const MouseDevice suite = RegisterMouse();
  WriteFile(Installed("my notes.txt"), "the person's own");

  // The resident programs: the right-button program as the suite starts it, and the companion.
  ASSERT_EQ(WinExec("C:\\Program Files\\TouchScreen\\QX-COM\\QXWMECrb.exe", SW_HIDE), EXEC_STARTED);
  const int rbfWindow = WaitForRbf([](const RbfState& s) { return s.window > 0; }).window;
  ASSERT_GT(rbfWindow, 0);
  WindowProgram companion("Companion");
  DeviceService::Qxctl("smi " + std::to_string(companion.main()) + " 0");

  const HWND window = StartUninstaller();
  ASSERT_NE(window, 0);
  const std::string uninstaller = root.path() + kWindowsFolder + "/QXWMECde.exe";
  ASSERT_TRUE(fs::exists(uninstaller));
  PressMnemonic(window, 'Y');

  // Pause(3), the package uninstaller, Pause(10), the final box, and the restart, which ends it.
  ASSERT_TRUE(Ended(40000));
  EXPECT_TRUE(WaitUntil([&] { return !Alive(rbfWindow / 256); }, 30000, 50));
  EXPECT_TRUE(companion.WaitForEnd(5000));
  EXPECT_EQ(Boxes(),
            "TouchScreen Software Removal\tRemoval is complete to uninstall TouchScreen drivers and utilities."
            "\\r\\n\\r\\nThe Windows must be restarted.\t4160\n");

  // The restart carried out WININIT.INI, which named this program, and the machine runs again.
  const std::string windows = root.path() + kWindowsFolder;
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(windows + "/WININIT.BAK") && QuickQxmachine("status").exitCode == 0; },
                        30000, 50));
  EXPECT_EQ(ReadFile(windows + "/WININIT.BAK"), "[rename]\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\n");
  EXPECT_FALSE(fs::exists(uninstaller));
  EXPECT_EQ(ReadRbf().window, -1);

  for (const char* file : {"QXWMECcp.exe", "QXWMECrb.exe", "unins000.exe", "unins000.lst"})
    EXPECT_FALSE(fs::exists(Installed(file))) << file;
  EXPECT_EQ(ReadFile(Installed("my notes.txt")), "the person's own");
  EXPECT_FALSE(KeyExists("SOFTWARE\\Harlenby\\TouchScreen\\QX-COM"));
  EXPECT_FALSE(KeyExists(suite.instance));
  EXPECT_FALSE(KeyExists(suite.classKey));
  EXPECT_TRUE(KeyExists(other.instance));
  EXPECT_TRUE(KeyExists(other.classKey));
}

TEST_F(RemovalProgram, NoEndsItWithEverythingInPlace) {
  const MouseDevice suite = RegisterMouse();
  const HWND window = StartUninstaller();
  ASSERT_NE(window, 0);
  PressMnemonic(window, 'N');
  ASSERT_TRUE(Ended(10000));
  EXPECT_EQ(Boxes(), "");
  EXPECT_TRUE(fs::exists(Installed("unins000.exe")));
  EXPECT_TRUE(KeyExists(suite.instance));
  EXPECT_FALSE(fs::exists(root.path() + kWindowsFolder + "/WININIT.INI"));
}

// The suite's whole life on one machine, every program real: the package and the installer with
// its restart, the log-on that starts the companion and the right-button program; the removal;
// then the same installation again, which finds the machine as a first one would.
class SuiteLife : public ProgramTest {
 protected:
  SuiteLife() : ProgramTest(Service::kNone) {}
};

TEST_F(SuiteLife, InstalledRemovedAndInstalledAgainLeavesOneInstanceOfTheSuite) {
  const std::string build = root.path() + "/build";
  MakeBuildFolder(build, {"QXWMECcp", "QXWMECao", "QXWMECrb", "QXWMECdi", "QXWMECde"});
  for (const char* program : {"QXWMECvr", "qxwmecomd"}) fs::create_symlink(Program(program), build + "/bin/" + program);
  const std::string setupIni = root.path() + "/setup.ini";
  WriteFile(setupIni,
            "[Settings]\r\nVirtualButton=1\r\nRightButtonFunction=1\r\nRightButtonAutoMode=0\r\n"
            "RightButtonAutoSTime=1\r\nRightButtonAutoETime=3\r\nRightButtonAutoBeep=1\r\n");
  const MouseDevice other = RegisterMouse("Standard mouse types", "SerMouse");

  const auto installAndLogOn = [&] {
    const RunResult installed = InstallSuite(build, {"--setup-ini", setupIni});
    EXPECT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    // The log-on after the installer's restart: the startup program started both resident programs.
    EXPECT_GT(WaitForRbf([](const RbfState& s) { return s.window > 0; }).window, 0);
    EXPECT_TRUE(WaitUntil([] { return DeviceService::Qxctl("smi").rfind("Window=-1", 0) != 0; }, 30000, 50));
    EXPECT_THAT(MouseInstances("TouchScreen"), ::testing::ElementsAre("0001"));
  };
  installAndLogOn();
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(DeviceService::Qxctl("get TouchMode RbfEnable RbfAutoMode"), "TouchMode=1\nRbfEnable=1\nRbfAutoMode=0\n");

  DWORD pid = 0;
  ASSERT_EQ(StartProcess("C:\\WINDOWS\\QXWMECde.exe", SW_SHOWNORMAL, &pid), EXEC_STARTED);
  HWND window = 0;
  ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowA(nullptr, kTitle)) && IsWindowVisible(window); }, 30000, 50));
  for (WPARAM key : {WPARAM{VK_MENU}, WPARAM{'Y'}}) SendMessageA(window, WM_KEYDOWN, key, 0);
  for (WPARAM key : {WPARAM{'Y'}, WPARAM{VK_MENU}}) SendMessageA(window, WM_KEYUP, key, 0);
  // Removed, and the machine restarted without the suite: nothing of it runs or is registered.
  ASSERT_TRUE(
      WaitUntil([&] { return !Alive(static_cast<pid_t>(pid)) && QuickQxmachine("status").exitCode == 0; }, 40000, 50));
  ASSERT_TRUE(WaitUntil([] { return fs::exists(MachineRoot() + kWindowsFolder + "/WININIT.BAK"); }, 30000, 50));
  EXPECT_EQ(ReadRbf().window, -1);
  EXPECT_EQ(DeviceService::Qxctl("smi").rfind("Window=-1", 0), 0u);
  EXPECT_TRUE(MouseInstances("TouchScreen").empty());
  EXPECT_FALSE(fs::exists(MachineRoot() + kInstalledFolder + "/QXWMECao.exe"));

  installAndLogOn();
  EXPECT_TRUE(KeyExists(other.instance));
  EXPECT_TRUE(KeyExists(other.classKey));
  QuickQxmachine("shutdown");
}

}  // namespace
}  // namespace qx::test
