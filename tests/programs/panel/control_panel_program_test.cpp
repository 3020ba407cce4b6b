// The real QXWMECcp against a fresh root: its start-up exits, each with its box, and the single
// copy rule. Boxes are logged (QX_MESSAGE_LOG) and answered by their default button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "host/instance_lock.h"
#include "host/machine_root.h"
#include "host/window_bus.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/window_program.h"

namespace qx::test {
namespace {

constexpr char kTitle[] = " TouchScreen Control Panel #QX-COM";

class ControlPanelProgram : public ::testing::Test {
 protected:
  std::string LogPath() const { return root.path() + "/boxes.log"; }
  std::vector<std::string> Env() const { return {"QX_MESSAGE_LOG=" + LogPath(), "QT_QPA_PLATFORM=offscreen"}; }
  RunResult RunPanel() { return test::Run({Program("QXWMECcp")}, Env(), 20000); }
  std::string Boxes() const { return ReadFile(LogPath()); }
  // What the service journalled since the last clear.
  static std::string Journal() { return DeviceService::Qxctl("journal"); }

  // The window of the panel process PID once it is on the window bus, or 0 after 10 s.
  static HWND WaitForWindow(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      for (HWND h = FindWindowA(nullptr, kTitle); h; h = 0)
        if (h / 256 == pid && IsWindowVisible(h)) return h;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
  }

  TempRoot root;
  DeviceService service;
};

TEST_F(ControlPanelProgram, WithoutInstallationRecordEndsWithRegisterFileBox) {
  DeviceService::Qxctl("journal --clear");
  RunResult r = RunPanel();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kTitle) + "\tFail to load data from Register File!\t4112\n");
  EXPECT_EQ(Journal().find("GetSettings"), std::string::npos);
}

TEST_F(ControlPanelProgram, WithoutDriverEndsWithFailToOpenAndSendsNothing) {
  WriteInstallation();
  DeviceService::Qxctl("journal --clear");
  // The device is there but cannot be opened: its socket is moved away while the panel starts.
  const std::string socket = root.path() + "/run/QXWMECOM";
  std::filesystem::rename(socket, socket + ".away");
  RunResult r = RunPanel();
  std::filesystem::rename(socket + ".away", socket);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kTitle) + "\tFail to open QXWMECOM.vxd!\t4112\n");
  EXPECT_EQ(Journal(), "");
}

TEST_F(ControlPanelProgram, WithoutControllerEndsWithNotFoundAfterOneRequest) {
  WriteInstallation();
  DeviceService::Qxctl("controller absent");
  DeviceService::Qxctl("journal --clear");
  RunResult r = RunPanel();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kTitle) + "\tTouchScreen Controller Not Found!\t4112\n");
  const std::string journal = Journal();
  EXPECT_NE(journal.find("0xF2010 GetSettings"), std::string::npos) << journal;
  EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 1) << journal;
}

TEST_F(ControlPanelProgram, CopyWhoseWindowCannotBeFoundIsReported) {
  WriteInstallation();
  ASSERT_TRUE(TakeInstanceLock("QXWMECcp"));  // this test process stands for a copy without a window
  RunResult r = RunPanel();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(),
            std::string(kTitle) +
                "\tApplication is running!\\r\\rPlease find and select the running window from Taskbar.\t4112\n");
}

TEST_F(ControlPanelProgram, SecondCopyBringsTheFirstForwardAndEndsSilently) {
  WriteInstallation();
  setenv("QX_MESSAGE_LOG", LogPath().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const pid_t first = Spawn({Program("QXWMECcp")}, root.path() + "/first.log");
  const HWND firstWindow = WaitForWindow(first);
  ASSERT_NE(firstWindow, 0) << ReadFile(root.path() + "/first.log");
  {
    WindowProgram other("A window shown later");
    ASSERT_EQ(FindWindowA(nullptr, nullptr), other.main());  // on top of the panel

    const auto started = std::chrono::steady_clock::now();
    RunResult second = RunPanel();
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(FindWindowA(nullptr, nullptr), firstWindow);  // the first copy's window came forward
  }
  EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0);  // and it still runs
  KillAndWait(first, SIGTERM);
  unsetenv("QX_MESSAGE_LOG");
}

}  // namespace
}  // namespace qx::test
