// The real QXWMECvr against a real device service in a fresh root: what it registers and
// reports, the ways it ends (each deregisters), its second copy and its command line. The screen
// is the offscreen platform's, sized by its configuration file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "core/driver_link.h"
#include "host/window_bus.h"
#include "tests/companion/companions.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/wait.h"
#include "tests/support/program_test.h"
#include "tests/support/sway.h"

namespace qx::test {
namespace {

class CompanionProgram : public ProgramTest {
 protected:
  void SetUp() override {
    WriteFile(RootFile("screen.json"),
              R"({"screens": [{"name": "main", "x": 0, "y": 0, "width": 1280, "height": 720}]})");
    DeviceService::Qxctl("journal --clear");
  }
  void TearDown() override { EndCompanions(); }

  std::string Platform() const { return "QT_QPA_PLATFORM=offscreen:configfile=" + RootFile("screen.json"); }

  // Starts a copy (SHOW_CMD as its starter passes it) and returns its window once it registered.
  HWND Start(const std::vector<std::string>& args = {}, const char* showCmd = "1") {
    std::vector<std::string> argv{Program("QXWMECvr")};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = SpawnProgram(argv, "companion.log", {std::string("QX_SHOWCMD=") + showCmd, Platform()});
    const SmiState state = WaitForSmi([pid](const SmiState& s) { return s.window / 256 == pid; });
    EXPECT_EQ(state.window / 256, pid) << ReadFile(RootFile("companion.log"));
    return state.window;
  }
  RunResult RunCopy(const std::vector<std::string>& args = {}) const {
    return RunProgram("QXWMECvr", args, {Platform()}, 20000);
  }
  // Waits for the child PID to end; its exit code, or -1 when it did not exit by itself.
  static int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }
};

TEST_F(CompanionProgram, RegistersItsWindowUprightAndReportsTheScreenSize) {
  const HWND h = Start();
  EXPECT_EQ(ReadSmi().rotationCode, 0);
  char caption[64];
  EXPECT_EQ(std::string(caption, static_cast<std::size_t>(GetWindowTextA(h, caption, sizeof caption))),
            kCompanionCaption);
  EXPECT_TRUE(IsWindowVisible(h));  // started in a normal window
  // The size is the chosen monitor's, which the service takes from the monitors registered.
  EXPECT_TRUE(WaitUntil([] { return !Sent("SetMonitors").empty(); }, 5000));
  EXPECT_EQ(Sent("SetMonitors"), std::vector<std::string>{"Count=1 Chosen=main"});
  EXPECT_EQ(DeviceService::Qxctl("get ScreenWidth ScreenHeight"), "ScreenWidth=1280\nScreenHeight=720\n");
  EXPECT_EQ(Sent("SetSmiRegistration"), std::vector<std::string>{"Window=" + std::to_string(h) + " RotationCode=0"});
  EXPECT_EQ(Boxes(), "");
}

TEST_F(CompanionProgram, SmiCloseEndsItDeregistered) {
  const HWND h = Start();
  SendMessageA(h, WM_USER, RBF_CLOSE, 0);  // not its message
  SendMessageA(h, WM_USER + 1, SMI_CLOSE, 0);
  EXPECT_EQ(ReadSmi().window, h);
  EXPECT_EQ(SendMessageA(h, WM_USER, SMI_CLOSE, 0), 0);
  // The registration is gone by the time the sender has its answer.
  EXPECT_EQ(ReadSmi().window, -1);
  EXPECT_EQ(ExitCode(h / 256), 0);
  EXPECT_EQ(ReadSmi().rotationCode, 0);
  EXPECT_TRUE(CompanionWindows().empty());
}

TEST_F(CompanionProgram, ClosedByThePersonOrEndedBySigtermItDeregistersToo) {
  const HWND closed = Start();
  SendMessageA(closed, WM_CLOSE, 0, 0);  // the close box
  EXPECT_EQ(ExitCode(closed / 256), 0);
  EXPECT_EQ(ReadSmi().window, -1);

  const HWND ended = Start({}, "0");
  ASSERT_GT(ended / 256, 0);  // never a signal to process 0, this test's whole group
  EXPECT_FALSE(IsWindowVisible(ended));  // started hidden, it stays so
  ::kill(ended / 256, SIGTERM);          // as qxmachine ends the programs of a root
  EXPECT_EQ(ExitCode(ended / 256), 0);
  EXPECT_EQ(ReadSmi().window, -1);
  EXPECT_EQ(Boxes(), "");
}

TEST_F(CompanionProgram, ASecondCopyEndsAndLeavesTheFirstRegistered) {
  const HWND first = Start({"--rotation", "1"});
  const RunResult second = RunCopy({"--rotation", "2"});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_NE(second.err.find("another copy runs"), std::string::npos) << second.err;
  const SmiState state = ReadSmi();
  EXPECT_EQ(state.window, first);
  EXPECT_EQ(state.rotationCode, 1);
  EXPECT_EQ(CompanionWindows(), std::vector<HWND>{first});

  // A copy that was killed left its registration; the next copy takes its place.
  ASSERT_GT(first / 256, 0);
  ::kill(first / 256, SIGKILL);
  ExitCode(first / 256);
  const HWND next = Start();
  EXPECT_NE(next, first);
  EXPECT_EQ(ReadSmi().window, next);
}

TEST_F(CompanionProgram, RegistersTheRotationGivenAndRefusesOthersWithAClearMessage) {
  const HWND h = Start({"--rotation", "3"});
  EXPECT_EQ(ReadSmi().rotationCode, 3);
  SendMessageA(h, WM_USER, SMI_CLOSE, 0);
  EXPECT_EQ(ExitCode(h / 256), 0);
  DeviceService::Qxctl("journal --clear");
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--rotation", "4"},
                                              {"--rotation", "-1"},
                                              {"--rotation", "1x"},
                                              {"--rotation", ""},
                                              {"--rotation"},
                                              {"--turn", "1"}}) {
    const RunResult r = RunCopy(bad);
    EXPECT_EQ(r.exitCode, 64) << bad[0];
    EXPECT_NE(r.err.find("Usage: QXWMECvr"), std::string::npos) << r.err;
  }
  EXPECT_NE(RunCopy({"--rotation", "4"}).err.find("--rotation takes 0, 1, 2 or 3, not '4'"), std::string::npos);
  EXPECT_TRUE(Sent("SetSmiRegistration").empty());
  EXPECT_EQ(ReadSmi().window, -1);
}

TEST_F(CompanionProgram, WithoutTheDriverItSaysSoAndEnds) {
  const RunResult r = WithoutDriver([this] { return RunCopy(); });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kCompanionCaption) + "\tFail to open QXWMECOM.vxd!\t4112\n");
  EXPECT_EQ(ReadSmi().window, -1);
}

// On a Wayland desktop (sway, headless) whose output the person turns: the code follows the
// compositor's own turn, on Qt's Wayland platform and through Xwayland alike.
using CompanionOnSway = OnSway<CompanionProgram>;

TEST_F(CompanionOnSway, RegistersTheTurnOfEachTransform) {
  const std::pair<const char*, int> turns[] = {{"90", 1}, {"180", 3}, {"270", 2}, {"normal", 0}};
  for (const char* platform : {"wayland", "xcb"}) {
    SCOPED_TRACE(platform);
    std::vector<std::string> env = sway->ClientEnvironment();
    env.push_back(std::string("QT_QPA_PLATFORM=") + platform);
    const pid_t pid = SpawnProgram({Program("QXWMECvr")}, "companion.log", env);
    ASSERT_EQ(WaitForSmi([pid](const SmiState& s) { return s.window / 256 == pid; }).rotationCode, 0)
        << ReadFile(RootFile("companion.log"));
    for (const auto& [transform, code] : turns) {
      sway->Msg({"output", "HEADLESS-1", "transform", transform});
      EXPECT_EQ(WaitForSmi([code](const SmiState& s) { return s.rotationCode == code; }).rotationCode, code)
          << "transform " << transform;
    }
    KillAndWait(pid, SIGTERM);
  }
}

}  // namespace
}  // namespace qx::test
