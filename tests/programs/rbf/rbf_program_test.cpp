// The real QXWMECrb against a real device service, driven from outside as a person and the other
// programs would: input messages through the window bus, touches in the simulated controller,
// the registration read from the service. Boxes are logged (QX_MESSAGE_LOG).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "core/driver_link.h"
#include "host/window_bus.h"
#include "host/window_input.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/journal.h"
#include "tests/support/program_test.h"
#include "tests/support/right_button_programs.h"
#include "tests/support/sway.h"
#include "tests/support/wait.h"

namespace qx::test {
namespace {

constexpr char kTitle[] = " TouchScreen Right-Button #QX-COM";
constexpr LPARAM kButtonPoint = MAKELPARAM(20, 20);

class RbfProgram : public ProgramTest {
 protected:
  void TearDown() override { EndRightButtonPrograms(); }

  // Starts a copy as the suite's starters do (hidden) and returns its window once it registered.
  HWND Start() {
    const pid_t pid = SpawnProgram({Program("QXWMECrb")}, "rbf.log", {"QX_SHOWCMD=0"});
    const RbfState state = WaitForRbf([pid](const RbfState& s) { return s.window / 256 == pid; });
    EXPECT_EQ(state.window / 256, pid) << ReadFile(RootFile("rbf.log"));
    return state.window;
  }
  static RunResult RunCopy() { return RunProgram("QXWMECrb", {}, {"QX_SHOWCMD=0"}, 20000); }

  // Presses the button, as a touch on it arrives: left button down and up at its middle.
  static void PressButton(HWND h) {
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, kButtonPoint);
    SendMessageA(h, WM_LBUTTONUP, 0, kButtonPoint);
  }
  static bool Armed(HWND h) {
    return WaitForRbf([h](const RbfState& s) { return s.window == h && s.armed == 1; }).armed == 1;
  }
  static bool Disarmed(HWND h) {
    return WaitForRbf([h](const RbfState& s) { return s.window == h && s.armed == 0; }).armed == 0;
  }
  // Whether the journal ends with one right-button action followed by the program's disarming
  // (HAD_ACTION false: with none), only queries of the registration coming after it.
  static void ExpectWaitEnded(HWND h, bool hadAction) {
    int actions = 0;
    std::string lastSet;
    bool setAfterAction = false;
    for (const std::string& line : JournalLines()) {
      if (line.find(" RightButtonAction") != std::string::npos) ++actions, setAfterAction = false;
      if (line.find(" SetRbfRegistration") != std::string::npos) lastSet = line, setAfterAction = actions > 0;
    }
    EXPECT_EQ(actions, hadAction ? 1 : 0);
    if (hadAction) {
      EXPECT_TRUE(setAfterAction);
    }
    EXPECT_NE(lastSet.find("Window=" + std::to_string(h) + " Armed=0"), std::string::npos) << lastSet;
  }
};

TEST_F(RbfProgram, ATouchAfterThePressIsOneRightButtonActionAndTheButtonComesBack) {
  const HWND h = Start();
  EXPECT_EQ(ReadRbf().armed, 0);
  char caption[32];
  EXPECT_EQ(std::string(caption, static_cast<std::size_t>(GetWindowTextA(h, caption, sizeof caption))), " C-RBF");
  EXPECT_TRUE(IsWindowVisible(h));  // whatever its starter's show state

  DeviceService::Qxctl("journal --clear");
  PressButton(h);
  ASSERT_TRUE(Armed(h));
  DeviceService::Qxctl("touch 300 700");  // a tap: down, then up
  DeviceService::Qxctl("lift");
  ASSERT_TRUE(Disarmed(h));
  ExpectWaitEnded(h, true);

  // The button is back: a press arms again, and the held finger's touch-down is the action.
  DeviceService::Qxctl("journal --clear");
  PressButton(h);
  ASSERT_TRUE(Armed(h));
  ASSERT_TRUE(PressFinger(500, 500, 3));
  ASSERT_TRUE(Disarmed(h));
  LiftFinger();
  ExpectWaitEnded(h, true);
  EXPECT_EQ(Boxes(), "");
}

TEST_F(RbfProgram, AKeyOrARightPressOnTheWindowEndsTheWaitAndDisarms) {
  const HWND h = Start();
  DeviceService::Qxctl("journal --clear");
  PressButton(h);
  ASSERT_TRUE(Armed(h));
  SendMessageA(h, WM_KEYDOWN, 'Q', 0);
  SendMessageA(h, WM_KEYUP, 'Q', 0);
  ASSERT_TRUE(Disarmed(h));
  ExpectWaitEnded(h, false);

  PressButton(h);
  ASSERT_TRUE(Armed(h));
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, kButtonPoint);
  SendMessageA(h, WM_RBUTTONUP, 0, kButtonPoint);
  ASSERT_TRUE(Disarmed(h));
  ExpectWaitEnded(h, false);
}

TEST_F(RbfProgram, ASecondCopyShowsTheFirstCopysWindowAndEndsWithoutABox) {
  const HWND h = Start();
  SendMessageA(h, WM_USER, RBF_HIDE, 0);
  ASSERT_FALSE(IsWindowVisible(h));
  const RunResult second = RunCopy();
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(Boxes(), "");
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(ReadRbf().window, h);
}

TEST_F(RbfProgram, ClosingDeregistersSoTheNextStartRegistersAnew) {
  const HWND first = Start();
  SendMessageA(first, WM_USER, RBF_CLOSE, 0);
  int status = -1;
  ASSERT_EQ(waitpid(first / 256, &status, 0), first / 256);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  RbfState state = ReadRbf();
  EXPECT_EQ(state.window, -1);
  EXPECT_EQ(state.armed, 0);

  // Closed by the person (the close box: WM_CLOSE) the same way.
  const HWND second = Start();
  EXPECT_NE(second, first);
  SendMessageA(second, WM_CLOSE, 0, 0);
  ASSERT_EQ(waitpid(second / 256, &status, 0), second / 256);
  EXPECT_EQ(ReadRbf().window, -1);
  EXPECT_EQ(Boxes(), "");
}

TEST_F(RbfProgram, AfterTheRegisteredCopyWasKilledANewStartRegistersItself) {
  const HWND killed = Start();
  KillAndWait(killed / 256, SIGKILL);
  ASSERT_EQ(ReadRbf().window, killed);  // the registration it left behind
  const HWND next = Start();
  EXPECT_NE(next, killed);
  EXPECT_EQ(ReadRbf().window, next);
  EXPECT_EQ(Boxes(), "");
}

TEST_F(RbfProgram, AnUnknownMessageShowsItsBoxAndTheProgramCarriesOn) {
  const HWND h = Start();
  SendMessageA(h, WM_USER, 0x1002, 0);
  SendMessageA(h, WM_USER, 0x2000, -1);
  EXPECT_EQ(Boxes(), std::string(kTitle) + "\tRBF_WndProc Fail! wParam=1002h, lParam=0h\t0\n" + kTitle +
                         "\tRBF_WndProc Fail! wParam=2000h, lParam=FFFFFFFFh\t0\n");
  SendMessageA(h, WM_USER, RBF_HIDE, 0);
  EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(RbfProgram, WithoutTheDriverItSaysSoAndRegistersNothing) {
  const RunResult r = WithoutDriver(RunCopy);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kTitle) + "\tFail to open QXWMECOM.vxd!\t4112\n");
  EXPECT_EQ(ReadRbf().window, -1);
}

// On a tiling Wayland desktop (sway), through Xwayland as an X11 window the compositor does not
// manage (get_tree lists none): in the lower-right corner of the first output (the suite's screen)
// with one output and with two, the second focused; above a window opened later over the whole
// output (what the output shows there is the button's face, its red right button); back in the
// corner after RBF_HIDE and RBF_SHOW.
using RbfOnSway = OnSway<RbfProgram>;

TEST_F(RbfOnSway, StandsInItsOutputsCornerAboveALaterWindow) {
  const QRect corner(Sway::kOutputWidth - 40, Sway::kOutputHeight - 40, 40, 40);
  auto placed = [&] { return WaitUntil([&] { return sway->XWindowRect(kRbfCaption) == corner; }, 10000, 50); };
  for (int outputs : {1, 2}) {
    SCOPED_TRACE(std::to_string(outputs) + " outputs");
    sway->EnsureOutputs(outputs);
    sway->Msg({"focus", "output", "HEADLESS-" + std::to_string(outputs)});
    std::vector<std::string> env = sway->ClientEnvironment();
    const pid_t rbf = SpawnProgram({Program("QXWMECrb")}, "rbf.log", env);
    ASSERT_TRUE(placed()) << ReadFile(RootFile("rbf.log"));
    sway->Msg({"focus", "output", "HEADLESS-1"});
    env.push_back("QT_QPA_PLATFORM=wayland");
    const pid_t later = SpawnProgram({Program("bus_test_window"), "--caption", "Later"}, "later.log", env);
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<QJsonObject> nodes = NodesNamed(sway->Tree(), "Later");
          return !nodes.empty() && RectOf(nodes[0]).contains(corner);
        },
        10000));
    const QImage shown = sway->Screenshot("HEADLESS-1").copy(corner);
    int red = 0;
    for (int i = 0; i < shown.width() * shown.height(); ++i)
      red += shown.pixelColor(i % 40, i / 40) == QColor(200, 0, 0);
    EXPECT_GT(red, 20);
    const HWND h = ReadRbf().window;
    SendMessageA(h, WM_USER, RBF_HIDE, 0);
    EXPECT_TRUE(WaitUntil([] { return !sway->XWindowRect(kRbfCaption); }, 10000));
    SendMessageA(h, WM_USER, RBF_SHOW, 0);
    EXPECT_TRUE(placed());
    KillAndWait(later, SIGKILL);
    KillAndWait(rbf, SIGKILL);
  }
}

}  // namespace
}  // namespace qx::test
