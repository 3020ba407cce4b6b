// The real QXWMECcp against a fresh root: its start-up exits, each with its box, and the single
// copy rule. Boxes are logged (QX_MESSAGE_LOG) and answered by their default button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "host/instance_lock.h"
#include "host/machine_root.h"
#include "host/window_bus.h"
#include "host/window_input.h"
#include "programs/panel/feedback_sound_dialog.h"
#include "programs/panel/main_window.h"
#include "tests/programs/panel/calibration_fixture.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/bus_windows.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/journal.h"
#include "tests/support/program_test.h"
#include "tests/support/sway.h"
#include "tests/support/wait.h"
#include "tests/support/window_program.h"
#include "tests/support/x_display.h"

namespace qx::test {
namespace {

class ControlPanelProgram : public ProgramTest {
 protected:
  // Started from a shell, as a machine root is: no runtime folder named.
  static RunResult RunPanel(const std::vector<std::string>& args = {}) {
    return RunProgram("QXWMECcp", args, {"XDG_RUNTIME_DIR="}, 20000);
  }
};

TEST_F(ControlPanelProgram, WithoutInstallationRecordEndsWithRegisterFileBox) {
  DeviceService::Qxctl("journal --clear");
  RunResult r = RunPanel();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kPanelTitle) + "\tFail to load data from Register File!\t4112\n");
  EXPECT_EQ(Journal().find("GetSettings"), std::string::npos);
  EXPECT_EQ(r.err, "");  // Qt's fallback for the missing runtime folder is nothing to tell a person
}

TEST_F(ControlPanelProgram, WithoutDriverEndsWithFailToOpenAndSendsNothing) {
  WriteInstallation();
  DeviceService::Qxctl("journal --clear");
  // The device is there but cannot be opened: its socket is moved away while the panel starts.
  RunResult r = WithoutDriver([] { return RunPanel(); });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kPanelTitle) + "\tFail to open QXWMECOM.vxd!\t4112\n");
  EXPECT_EQ(Journal(), "");
}

TEST_F(ControlPanelProgram, WithoutControllerEndsWithNotFoundAfterOneRequest) {
  WriteInstallation();
  DeviceService::Qxctl("controller absent");
  DeviceService::Qxctl("journal --clear");
  RunResult r = RunPanel();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), std::string(kPanelTitle) + "\tTouchScreen Controller Not Found!\t4112\n");
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
            std::string(kPanelTitle) +
                "\tApplication is running!\\r\\rPlease find and select the running window from Taskbar.\t4112\n");
}

TEST_F(ControlPanelProgram, SecondCopyBringsTheFirstForwardAndEndsSilently) {
  WriteInstallation();
  const pid_t first = SpawnProgram({Program("QXWMECcp")}, "first.log");
  const HWND firstWindow = WaitForWindow(kPanelTitle, first);
  ASSERT_NE(firstWindow, 0) << ReadFile(RootFile("first.log"));
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
}

TEST_F(ControlPanelProgram, RefusesAnUnknownArgumentWithItsUsage) {
  RunResult r = RunPanel({"--bogus"});
  EXPECT_EQ(r.exitCode, 64);
  EXPECT_NE(r.err.find("Usage: QXWMECcp [--root DIR]"), std::string::npos) << r.err;
  EXPECT_EQ(Boxes(), "");
}

// Every window the panel opens, closed every way a person or another program can close it, in
// the real program: each time the main window comes back.
class ClosingWindows : public ControlPanelProgram {
 protected:
  void SetUp() override { WriteInstallation(); }
  void TearDown() override {
    if (panel > 0) KillAndWait(panel, SIGTERM);
  }

  // With the extra environment entries ENV.
  void StartPanel(const std::vector<std::string>& env = {}) {
    panel = SpawnProgram({Program("QXWMECcp")}, "panel.log", env);
    main = WaitForWindow(kPanelTitle, panel);
    ASSERT_NE(main, 0) << ReadFile(RootFile("panel.log"));
  }

  // Presses KEYS together on window H: down in order, up in reverse.
  static void Press(HWND h, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) SendMessageA(h, WM_KEYDOWN, key, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) SendMessageA(h, WM_KEYUP, *key, 0);
  }

  // The panel's visible window captioned CAPTION other than its main window, once it shows (0 after MS).
  HWND WaitForDialog(const char* caption, int ms = 10000) {
    HWND found = 0;
    WaitUntil(
        [&] {
          for (HWND h : WindowsCaptioned(caption, true))
            if (h / 256 == panel && h != main) return (found = h) != 0;
          return false;
        },
        ms);
    return found;
  }

  // Opens a window with the keys OPEN, closes it with CLOSE, and checks that the main window hid
  // while it was open and shows again after.
  void OpenAndClose(std::initializer_list<WPARAM> open, const char* caption, const std::function<void(HWND)>& close,
                    const std::string& how) {
    SCOPED_TRACE(std::string(caption) + ", closed by " + how);
    ASSERT_TRUE(IsWindowVisible(main));
    Press(main, open);
    const HWND dialog = WaitForDialog(caption);
    ASSERT_NE(dialog, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 10000));
    close(dialog);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main); }, 10000));
  }

  static void CloseByProgram(HWND h) { SendMessageA(h, WM_CLOSE, 0, 0); }

  // The companion started on the desktop ENV names, and the touchscreen mapped to OUTPUT once the
  // service knows that monitor.
  void MapOnDesktop(const std::vector<std::string>& env, const std::string& output) {
    SpawnProgram({Program("QXWMECvr")}, "companion.log", env);
    ASSERT_TRUE(
        WaitUntil([&] { return DeviceService::Qxctl("map-to-output").find(output) != std::string::npos; }, 10000, 50))
        << ReadFile(RootFile("companion.log"));
    DeviceService::Qxctl("map-to-output " + output);
  }

  // A press of BUTTON (WM_LBUTTONDOWN or WM_RBUTTONDOWN) on window H at CONTROL's centre; CONTROL
  // belongs to a window of the same design made in this process, so its place is the real one.
  static void PressOn(HWND h, const QWidget* control, UINT button = WM_LBUTTONDOWN) {
    const QPoint at = control->mapTo(control->window(), control->rect().center());
    SendMessageA(h, button, 0, MAKELPARAM(at.x(), at.y()));
    SendMessageA(h, button + 1, 0, MAKELPARAM(at.x(), at.y()));  // the button's up message
  }

  pid_t panel = -1;
  HWND main = 0;
};

TEST_F(ClosingWindows, AboutBoxAndMouseSpeedDialogEveryWay) {
  StartPanel();
  const std::initializer_list<WPARAM> about = {VK_MENU, 'A'};  // "&About" without a vendor picture
  OpenAndClose(
      about, " About", [](HWND h) { Press(h, {VK_ESCAPE}); }, "Esc");
  OpenAndClose(
      about, " About", [](HWND h) { Press(h, {VK_RETURN}); }, "OK (Enter)");
  OpenAndClose(about, " About", CloseByProgram, "WM_CLOSE");

  const std::initializer_list<WPARAM> mouseSpeed = {VK_MENU, 'M'};
  OpenAndClose(
      mouseSpeed, kPanelTitle, [](HWND h) { Press(h, {VK_ESCAPE}); }, "Esc");
  OpenAndClose(
      mouseSpeed, kPanelTitle,
      [](HWND h) {
        Press(h, {VK_MENU, 'C'});
      },
      "Cancel");
  OpenAndClose(
      mouseSpeed, kPanelTitle, [](HWND h) { Press(h, {VK_RETURN}); }, "OK (Enter)");
  OpenAndClose(mouseSpeed, kPanelTitle, CloseByProgram, "WM_CLOSE");
  EXPECT_EQ(Boxes(), "");
}

TEST_F(ClosingWindows, SupportBoxEveryWay) {
  WriteInstallBitmap("QXVender.Bmp", 120, 80);
  StartPanel();
  const std::initializer_list<WPARAM> support = {VK_MENU, 'U'};  // "S&upport"
  OpenAndClose(
      support, kPanelTitle, [](HWND h) { Press(h, {VK_ESCAPE}); }, "Esc");
  OpenAndClose(
      support, kPanelTitle, [](HWND h) { Press(h, {VK_RETURN}); }, "OK (Enter)");
  OpenAndClose(support, kPanelTitle, CloseByProgram, "WM_CLOSE");
  EXPECT_EQ(Boxes(), "");
}

// A person at the real program: the feedback sound dialog opened by its mnemonic, its test button
// pressed, another mode chosen and applied with the keys, closed with Enter.
TEST_F(ClosingWindows, FeedbackSoundTestedAndAppliedByAPerson) {
  DeviceService::Qxctl("set SoundMode=1 SoundTone=1000 SoundDuration=20");
  StartPanel();
  DeviceService::Qxctl("journal --clear");
  const FeedbackSoundDialog design;
  Press(main, {VK_MENU, 'F'});
  const HWND dialog = WaitForDialog(kPanelTitle);
  ASSERT_NE(dialog, 0);

  PressOn(dialog, design.cmdSoundTest);
  EXPECT_TRUE(WaitUntil([] { return Sent("PlayTestSound").size() == 2; }, 10000));
  EXPECT_EQ(Sent("PlayTestSound"), (std::vector<std::string>{"Tone=1000 Duration=20", "Tone=1000 Duration=20"}));

  PressOn(dialog, design.optFeedbackSound->Button(3));  // " Lift Off Only"
  Press(dialog, {VK_MENU, 'A'});
  EXPECT_TRUE(WaitUntil([] { return !Sent("SetFeedbackSound").empty(); }, 10000));
  Press(dialog, {VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && IsWindowVisible(main); }, 10000));
  EXPECT_EQ(Sent("SetFeedbackSound"), std::vector<std::string>{"SoundMode=3 SoundTone=1000 SoundDuration=20"})
      << "Apply, then OK with nothing left to apply";
  EXPECT_NE(DeviceService::Qxctl("summary").find("Lift Off Only"), std::string::npos);
  EXPECT_EQ(Boxes(), "");
}

TEST_F(ClosingWindows, McuInformationByShiftCtrlAltAndTheRightButtonOnSerialPort) {
  DeviceService::Qxctl("set McuMode=0xD4 McuVersion=0x42 McuCode=1234ABCD");
  StartPanel();
  const MainWindow design;
  for (WPARAM key : {VK_SHIFT, VK_CONTROL, VK_MENU}) SendMessageA(main, WM_KEYDOWN, key, 0);
  PressOn(main, design.cmdSerialPort, WM_RBUTTONDOWN);
  for (WPARAM key : {VK_MENU, VK_CONTROL, VK_SHIFT}) SendMessageA(main, WM_KEYUP, key, 0);
  const HWND dialog = WaitForDialog(kPanelTitle);
  ASSERT_NE(dialog, 0);
  EXPECT_FALSE(IsWindowVisible(main));
  Press(dialog, {VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && IsWindowVisible(main); }, 10000));
  EXPECT_EQ(Boxes(), "");
}

// On a desktop of two monitors (an X server split into two RandR monitors, which the companion
// tells the service of), the main window opens centred on the touchscreen's monitor, the right-hand
// one, and stands centred on the other once the touchscreen is mapped there; a dialog open while
// the mapping changes moves too, and the main window hidden behind it comes back on the new one.
TEST_F(ClosingWindows, TheWindowsStandOnTheTouchscreensMonitorAndFollowIt) {
  VirtualDisplay display(2048, 768);
  ASSERT_TRUE(display.SetMonitor("LEFT", 1024, 768, 0, 0));
  ASSERT_TRUE(display.SetMonitor("RIGHT", 1024, 768, 1024, 0));
  const std::vector<std::string> desktop = {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb"};
  MapOnDesktop(desktop, "RIGHT");
  StartPanel(desktop);
  std::optional<XWindowPlace> right, left, dialog, back;
  const auto on = [&](const char* caption, std::optional<XWindowPlace>& place, int monitorLeft) {
    return WaitUntil(
        [&] {
          place = ShownWindowPlace(display.name(), caption);
          return place && place->x >= monitorLeft && place->x + place->width <= monitorLeft + 1024;
        },
        10000, 50);
  };
  ASSERT_TRUE(on(kPanelTitle, right, 1024)) << (right ? right->x : -1) << " " << ReadFile(RootFile("panel.log"));
  DeviceService::Qxctl("map-to-output LEFT");
  ASSERT_TRUE(on(kPanelTitle, left, 0)) << (left ? left->x : -1);
  EXPECT_EQ(left->x, right->x - 1024);  // centred on it as on the other
  EXPECT_EQ(left->y, right->y);

  const LPARAM onAbout = MAKELPARAM(342, 248);  // the middle of &About, in the shortened window
  SendMessageA(main, WM_LBUTTONDOWN, 0, onAbout);
  SendMessageA(main, WM_LBUTTONUP, 0, onAbout);
  const HWND about = WaitForDialog(" About");
  ASSERT_NE(about, 0);
  EXPECT_TRUE(on(" About", dialog, 0));
  DeviceService::Qxctl("map-to-output RIGHT");
  EXPECT_TRUE(on(" About", dialog, 1024)) << (dialog ? dialog->x : -1);
  CloseByProgram(about);
  ASSERT_TRUE(on(kPanelTitle, back, 1024)) << (back ? back->x : -1);
  EXPECT_EQ(back->x, right->x);
}

// The calibration and touch test windows of the real program, opened as a person opens them, on a
// 1024 x 768 display as the device's screen size has it.
class FullScreenWindows : public ClosingWindows {
 protected:
  void SetUp() override {
    ClosingWindows::SetUp();
    const std::string screen = RootFile("screen.json");
    WriteFile(screen, R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1024, "height": 768,)"
                      R"( "logicalDpiX": 96, "logicalDpiY": 96}]})");
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
  }
  void TearDown() override {
    LiftFinger();
    ClosingWindows::TearDown();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  // How many of the journal's LINES hold TEXT.
  static int Count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](auto& l) { return l.find(text) != l.npos; }));
  }
  // The window shows target N: N - 1 targets taken, and the panel seen released since the last
  // report (the poll that saw the lift draws the next target).
  static bool ShowsTarget(int n) {
    const std::vector<std::string> lines = JournalLines();
    if (Count(lines, "SetCalibrationState State=5") != n - 1) return false;
    auto report = std::find_if(lines.rbegin(), lines.rend(), [](auto& l) { return l.find(" Report ") != l.npos; });
    return std::find_if(lines.rbegin(), report, [](auto& l) { return l.find(" GetTouchSample") != l.npos; }) != report;
  }
};

TEST_F(FullScreenWindows, CalibrationFromTheMainWindowPutsThePointerWhereTheFingerLands) {
  StartPanel();
  DeviceService::Qxctl("journal --clear");
  Press(main, {VK_MENU, 'C'});
  ASSERT_NE(WaitForDialog("TouchScreen Calibration"), 0);
  EXPECT_FALSE(IsWindowVisible(main));
  const PanelModel wired{1024, 768, 4};  // the wires exchanged
  for (int target = 1; target <= 4; ++target) {
    ASSERT_TRUE(WaitUntil([&] { return ShowsTarget(target); }, 10000)) << "target " << target;
    const auto [px, py] = Cross(target, 1024, 768);
    const auto [x, y] = wired.Raw(px, py);
    ASSERT_TRUE(PressFinger(x, y));
    ASSERT_TRUE(WaitUntil([&] { return Count(JournalLines(), "SetCalibrationState State=5") == target; }, 10000));
    ASSERT_TRUE(LiftFinger());
  }
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main); }, 10000));
  EXPECT_EQ(Boxes(),
            "TouchScreen Calibration\tCALIBRATION IS COMPLETE.\\r\\rFor test, touch on the screen and check cursor "
            "position.\\rTo save new calibration, click Yes button.\\rTo restore old calibration, click No button.\t"
            "4132\n");
  const std::vector<std::string> requests = Requests();
  ASSERT_EQ(requests.size(), 15u);
  EXPECT_EQ(requests[0], "GetSettings");  // the calibration reads the settings afresh
  EXPECT_EQ(requests[12].rfind("SetCalibration CalibrationData=", 0), 0u);
  EXPECT_NE(requests[12].find(" CalibrationFlags=4"), std::string::npos);
  EXPECT_EQ(requests[13], "SetCalibrationState 0");
  EXPECT_EQ(requests.back(), "SetTouchMode TouchMode=4 RbfAutoMode=1");
  ExpectPointerFollows(wired);
}

TEST_F(FullScreenWindows, RightButtonOnExitWithShiftCtrlAltOpensTheTouchTest) {
  DeviceService::Qxctl("set TouchMode=2");
  StartPanel();
  DeviceService::Qxctl("journal --clear");
  const LPARAM onExit = MAKELPARAM(431, 248);  // the middle of E&xit, in the shortened window
  // Without Alt the gesture is nothing.
  SendMessageA(main, WM_KEYDOWN, VK_SHIFT, 0);
  SendMessageA(main, WM_KEYDOWN, VK_CONTROL, 0);
  SendMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, onExit);
  SendMessageA(main, WM_RBUTTONUP, 0, onExit);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(IsWindowVisible(main));
  SendMessageA(main, WM_KEYDOWN, VK_MENU, 0);
  SendMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, onExit);
  SendMessageA(main, WM_RBUTTONUP, 0, onExit);
  for (WPARAM key : {VK_MENU, VK_CONTROL, VK_SHIFT}) SendMessageA(main, WM_KEYUP, key, 0);
  const HWND test = WaitForDialog("TouchScreen Test");
  ASSERT_NE(test, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 10000));
  CloseByProgram(test);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main); }, 10000));
  const std::vector<std::string> lines = JournalLines();
  ASSERT_EQ(Count(lines, "SetTouchMode"), 2) << Journal();
  EXPECT_EQ(Count(lines, "SetTouchMode TouchMode=4 "), 1);
  EXPECT_NE(lines.back().find("SetTouchMode TouchMode=2 "), std::string::npos);
  EXPECT_EQ(Boxes(), "");
}

// Ended by SIGTERM (a log-out, qxmachine) while the calibration has the automatic right button
// paused: the panel gives it back on its way out, as its windows' close boxes would.
TEST_F(FullScreenWindows, EndedDuringACalibrationItGivesBackThePausedRightButton) {
  DeviceService::Qxctl("set RbfEnable=1 TouchMode=4 RbfAutoMode=1");
  StartPanel();
  Press(main, {VK_MENU, 'C'});
  ASSERT_NE(WaitForDialog("TouchScreen Calibration"), 0);
  ASSERT_TRUE(WaitUntil([] { return DeviceService::Qxctl("get RbfAutoMode") == "0\n"; }, 10000));
  const int status = KillAndWait(panel, SIGTERM);
  panel = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(DeviceService::Qxctl("get RbfAutoMode"), "1\n");
}

// On a tiling Wayland desktop (sway, headless), natively and through Xwayland: the break question
// stands above the full-screen calibration window, which it asks about, and shows.
using CalibrationOnSway = OnSway<ClosingWindows>;

TEST_F(CalibrationOnSway, TheBreakQuestionShowsAboveTheCalibration) {
  for (const char* platform : {"wayland", "xcb"}) {
    SCOPED_TRACE(platform);
    std::vector<std::string> env = sway->ClientEnvironment();
    env.insert(env.end(), {std::string("QT_QPA_PLATFORM=") + platform, "QX_MESSAGE_LOG="});  // real boxes
    StartPanel(env);
    // A mnemonic reaches the active window alone, which the panel's becomes a moment after it shows.
    HWND calibration = 0;
    for (int tries = 0; tries < 20 && !calibration; ++tries) {
      Press(main, {VK_MENU, 'C'});
      calibration = WaitForDialog("TouchScreen Calibration", 500);
    }
    ASSERT_NE(calibration, 0);
    // The calibration's window, full-screen, and the other window captioned so: its box.
    std::vector<QJsonObject> named;
    auto listed = [&](std::size_t n) {
      named = NodesNamed(sway->Tree(), "TouchScreen Calibration");
      std::stable_partition(named.begin(), named.end(), [](auto& node) { return node["fullscreen_mode"] == 1; });
      return named.size() == n && named[0]["fullscreen_mode"] == 1;
    };
    ASSERT_TRUE(WaitUntil([&] { return listed(1); }, 10000)) << ReadFile(RootFile("panel.log"));
    Press(calibration, {VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return listed(2); }, 10000)) << ReadFile(RootFile("panel.log"));
    EXPECT_TRUE(named[1]["visible"].toBool());  // not behind the full-screen window
    KillAndWait(panel, SIGKILL);
    panel = -1;
  }
}

// On a native Wayland desktop of two outputs (sway), the touch test window is full screen on the
// touchscreen's output, which it names as it shows, and on the other once the touchscreen is
// mapped there: shown afresh, since a compositor moves no full-screen window by its place.
using TouchTestOnSway = OnSway<ClosingWindows>;

TEST_F(TouchTestOnSway, CoversTheTouchscreensOutputAndFollowsIt) {
  sway->EnsureOutputs(2);
  std::vector<std::string> env = sway->ClientEnvironment();
  env.push_back("QT_QPA_PLATFORM=wayland");
  MapOnDesktop(env, "HEADLESS-2");
  StartPanel(env);
  const LPARAM onExit = MAKELPARAM(431, 248);  // the middle of E&xit, in the shortened window
  HWND test = 0;
  for (int tries = 0; tries < 20 && !test; ++tries) {  // the panel's window takes input once it is active
    for (WPARAM key : {VK_SHIFT, VK_CONTROL, VK_MENU}) SendMessageA(main, WM_KEYDOWN, key, 0);
    SendMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, onExit);
    SendMessageA(main, WM_RBUTTONUP, 0, onExit);
    for (WPARAM key : {VK_MENU, VK_CONTROL, VK_SHIFT}) SendMessageA(main, WM_KEYUP, key, 0);
    test = WaitForDialog("TouchScreen Test", 500);
  }
  ASSERT_NE(test, 0);
  QRect place;
  const auto covers = [&](int outputLeft) {
    return WaitUntil(
        [&] {
          const std::vector<QJsonObject> named = NodesNamed(sway->Tree(), "TouchScreen Test");
          place = named.empty() ? QRect() : RectOf(named[0]);
          return !named.empty() && named[0]["fullscreen_mode"] == 1 && place == QRect(outputLeft, 0, 1024, 768);
        },
        10000, 50);
  };
  EXPECT_TRUE(covers(1024)) << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
  DeviceService::Qxctl("map-to-output HEADLESS-1");
  EXPECT_TRUE(covers(0)) << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
}

}  // namespace
}  // namespace qx::test
