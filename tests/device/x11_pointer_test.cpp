// Touches reach a real X server: the device service with `--pointer x11` against Xvfb, and an X
// client of the test's own recording what the server delivers. The touch modes, the armed and
// the automatic right button and the bell, as a desktop gets them; the double tap, the steady
// finger, touches switched off and the hidden cursor; and a server that goes away and comes back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <thread>

#include "core/driver_records.h"
#include "device/pointer_mapping.h"
#include "device/state_file.h"
#include "host/desktop.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/wait.h"
#include "tests/support/x_display.h"

namespace qx {
namespace {

using namespace std::chrono_literals;
using test::DeviceService;
using test::XPointerEvent;

struct Point {
  int x = 0;
  int y = 0;
};

// Where `qxctl pointer` says the last report put the pointer.
Point QxctlPointer() {
  std::istringstream in(DeviceService::Qxctl("pointer"));
  Point p;
  in >> p.x >> p.y;
  return p;
}

// An event the desktop should get: type, button (0 for a motion), and where.
struct Want {
  XPointerEvent::Type type;
  unsigned button;
  Point at;
};
Want Motion(Point p) { return {XPointerEvent::kMotion, 0, p}; }
Want Press(unsigned b, Point p) { return {XPointerEvent::kPress, b, p}; }
Want Release(unsigned b, Point p) { return {XPointerEvent::kRelease, b, p}; }

// The events got are the ones wanted, each within 1 pixel of its place.
void ExpectEvents(const std::vector<XPointerEvent>& got, const std::vector<Want>& wanted, const std::string& what) {
  ASSERT_EQ(got.size(), wanted.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].type, wanted[i].type) << what << ", event " << i;
    EXPECT_EQ(got[i].button, wanted[i].button) << what << ", event " << i;
    EXPECT_NEAR(got[i].x, wanted[i].at.x, 1) << what << ", event " << i;
    EXPECT_NEAR(got[i].y, wanted[i].at.y, 1) << what << ", event " << i;
  }
}

class X11PointerTest : public ::testing::Test {
 protected:
  X11PointerTest() {
    setenv("DISPLAY", display.name().c_str(), 1);
    service.emplace(std::vector<std::string>{"--pointer", "x11"});
    unsetenv("DISPLAY");
    recorder.emplace(display.name());
  }
  // The service started again, as a crash's restart would, against the same display.
  void RestartService(int sig) {
    service->Stop(sig);
    setenv("DISPLAY", display.name().c_str(), 1);
    service->Start();
    unsetenv("DISPLAY");
  }
  // A tap at raw (X, Y): one report, then the lift.
  static void Tap(int x, int y) {
    TouchSample sample{};
    ASSERT_TRUE(test::AskDevice(IOCTL_SIM_TOUCH,
                                SimTouch{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 1, 0, 1}, sample));
    ASSERT_TRUE(test::LiftFinger());
  }
  // Where the first COUNT presses the desktop got since the last Clear were, once they came.
  std::vector<Point> Presses(std::size_t count) {
    std::vector<Point> presses;
    test::WaitUntil(
        [&] {
          presses.clear();
          for (const XPointerEvent& e : recorder->Events())
            if (e.type == XPointerEvent::kPress) presses.push_back({e.x, e.y});
          return presses.size() >= count;
        },
        5000);
    return presses;
  }
  bool LastEventIs(XPointerEvent::Type type) const {
    const std::vector<XPointerEvent> events = recorder->Events();
    return !events.empty() && events.back().type == type;
  }
  // The events a touch made, once COUNT came and a moment passed for any that should not have.
  std::vector<XPointerEvent> EventsOfTouch(std::size_t count) {
    recorder->WaitForEvents(count);
    std::this_thread::sleep_for(100ms);
    return recorder->Events();
  }

  test::VirtualDisplay display;
  test::TempRoot root;
  std::optional<DeviceService> service;
  std::optional<test::XEventRecorder> recorder;
};

// A press at one place, a move to another and a lift, under each mode; the right button armed.
TEST_F(X11PointerTest, EachTouchModeGivesTheDesktopItsButtonEvents) {
  EXPECT_EQ(DeviceService::Qxctl("output"),
            "Input: simulated\nOutput: x11 on " + display.name() + "\n" + DeviceService::LogLine());
  struct Case {
    const char* what;
    const char* settings;
    bool armed;
    std::vector<Want> (*wanted)(Point a, Point b);
  };
  const Case cases[] = {
      {"Stream", "TouchMode=1", false,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Press(1, a), Motion(b), Release(1, b)};
       }},
      {"Lift Off", "TouchMode=2", false,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Motion(b), Press(1, b), Release(1, b)};
       }},
      {"Touch Down", "TouchMode=3", false,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Press(1, a), Release(1, a), Motion(b)};
       }},
      {"Drag Drop", "TouchMode=4", false,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Press(1, a), Motion(b), Release(1, b)};
       }},
      {"Drag Drop moved before Toggle On", "TouchMode=4 RbfEnable=1 RbfAutoMode=1", false,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Press(1, a), Motion(b), Release(1, b)};
       }},
      {"the armed right button", "TouchMode=1", true,
       [](Point a, Point b) -> std::vector<Want> {
         return {Motion(a), Press(3, a), Release(3, a), Motion(b)};
       }},
  };
  for (const Case& c : cases) {
    DeviceService::Qxctl(std::string("set RbfEnable=0 RbfAutoMode=0 SoundMode=1 ") + c.settings);
    if (c.armed) {
      ASSERT_TRUE(test::ArmRightButton());
    }
    recorder->Clear();
    ASSERT_TRUE(test::PressFinger(200, 300));
    const Point a = QxctlPointer();
    ASSERT_TRUE(test::PressFinger(700, 600));
    const Point b = QxctlPointer();
    ASSERT_TRUE(test::LiftFinger());
    const std::vector<Want> wanted = c.wanted(a, b);
    ExpectEvents(EventsOfTouch(wanted.size()), wanted, c.what);
  }
}

// Held still in Drag Drop with the automatic right button: the right button alone, at Toggle On.
TEST_F(X11PointerTest, AFingerHeldStillGetsTheRightButtonAtToggleOn) {
  DeviceService::Qxctl("set TouchMode=4 RbfEnable=1 RbfAutoMode=1 RbfAutoSTime=1 RbfAutoETime=3 SoundMode=1");
  ASSERT_TRUE(test::PressFinger(400, 400, 2));
  const std::vector<XPointerEvent> pressed = recorder->WaitForEvents(2);
  const Point a = QxctlPointer();
  ASSERT_TRUE(test::LiftFinger());
  ExpectEvents(EventsOfTouch(3), {Motion(a), Press(3, a), Release(3, a)}, "held still");
  ASSERT_EQ(pressed.size(), 2u);
  const std::chrono::duration<double, std::milli> toggleOn = pressed[1].at - pressed[0].at;
  EXPECT_NEAR(toggleOn.count(), 1000, 100) << "Toggle On is 1 s";
}

// The sound dialog's test sound and the touch-down sound ring the X bell with their tone, and
// leave the server's own bell, every client's, as it was: as the person set it last, after the
// service connected too.
TEST_F(X11PointerTest, TheBellRingsWithTheToneAndDurationChosen) {
  const std::pair<int, int> before = test::BellOf(display.name());
  TestSound sound{880, 40};
  ASSERT_TRUE(test::AskDevice(IOCTL_PLAY_TEST_SOUND, sound, sound));
  EXPECT_EQ(recorder->WaitForBells(1), (std::vector<std::pair<int, int>>{{880, 40}}));
  EXPECT_EQ(test::BellOf(display.name()), before);
  test::Run({"/usr/bin/xset", "-display", display.name(), "b", "50", "321", "77"});  // as the person sets it
  DeviceService::Qxctl("set SoundMode=2 SoundTone=1500 SoundDuration=25");
  ASSERT_TRUE(test::PressFinger(100, 100));
  EXPECT_EQ(recorder->WaitForBells(2).back(), std::pair(1500, 25));
  EXPECT_EQ(test::BellOf(display.name()), std::pair(321, 77));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_NE(DeviceService::Qxctl("journal").find("PlayTestSound Tone=880 Duration=40"), std::string::npos);
}

// The X server goes away and comes back: the service goes on, says so, and finds it again; a
// touch where the last one was puts the pointer under the finger there, not where the new server
// has it (its screen's centre).
TEST_F(X11PointerTest, TheServiceOutlivesTheXServerAndFindsItAgain) {
  const std::string name = display.name();
  recorder.reset();
  display.Stop();
  EXPECT_TRUE(
      test::WaitUntil([] { return DeviceService::Qxctl("output").find("went away") != std::string::npos; }, 5000));
  EXPECT_TRUE(test::PressFinger(300, 300)) << "the service answers without its desktop";
  EXPECT_TRUE(test::LiftFinger());

  display.Start();
  ASSERT_EQ(display.name(), name);
  EXPECT_TRUE(test::WaitUntil(
      [&] {
        return DeviceService::Qxctl("output") ==
               "Input: simulated\nOutput: x11 on " + name + "\n" + DeviceService::LogLine();
      },
      8000));
  recorder.emplace(name);
  ASSERT_TRUE(test::PressFinger(300, 300));
  const Point a = QxctlPointer();
  ASSERT_TRUE(test::LiftFinger());
  const std::vector<XPointerEvent> events = recorder->WaitForEvents(1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].type, XPointerEvent::kMotion);
  EXPECT_NEAR(events[0].x, a.x, 1);
  EXPECT_NEAR(events[0].y, a.y, 1);
  const std::string journal = DeviceService::Qxctl("journal");
  EXPECT_NE(journal.find("DisplayLost Display=" + name), std::string::npos) << journal;
  EXPECT_NE(journal.find("DisplayBack Display=" + name), std::string::npos) << journal;
}

// A button the desktop got down is let go whatever came between: a server stopped in the middle
// of a touch (what it could not take meanwhile is left out, and it is brought to the touch's end
// once it goes on), and a service killed in the middle of one (its next start lets go).
TEST_F(X11PointerTest, NoButtonStaysDownAfterAStoppedServerOrAKilledService) {
  DeviceService::Qxctl("set TouchMode=1 SoundMode=1");
  ASSERT_TRUE(test::SetReportRate(1000));
  ::kill(display.pid(), SIGSTOP);
  ASSERT_TRUE(test::PressFinger(300, 300, 200));
  std::this_thread::sleep_for(2s);  // a thousand reports a second, long past what the connection holds
  ASSERT_TRUE(test::LiftFinger());
  const Point lifted = QxctlPointer();
  ::kill(display.pid(), SIGCONT);
  EXPECT_TRUE(test::WaitUntil(
      [&] {
        const std::vector<XPointerEvent> got = recorder->Events();
        return !got.empty() && got.back().type == XPointerEvent::kRelease && got.back().button == 1;
      },
      10000))
      << "button 1 let go once the server goes on";
  EXPECT_NEAR(recorder->Events().back().x, lifted.x, 1);
  EXPECT_NEAR(recorder->Events().back().y, lifted.y, 1);

  ASSERT_TRUE(test::PressFinger(200, 200));
  ASSERT_TRUE(test::WaitUntil([&] { return recorder->Events().back().type == XPointerEvent::kPress; }, 5000));
  RestartService(SIGKILL);
  EXPECT_TRUE(test::WaitUntil([&] { return recorder->Events().back().type == XPointerEvent::kRelease; }, 10000))
      << "the service started again lets go of what the killed one held";
}

// Two taps of the Touch Down mode, within the desktop's double-click values (1 s, 16 × 16) or not:
// a second tap close and soon enough clicks where the first did, the others where they landed. A
// tap where the last one was, after another client moved the pointer, clicks under the finger.
TEST_F(X11PointerTest, ASecondTapWithinTheDoubleClickValuesClicksWhereTheFirstDid) {
  ASSERT_TRUE(SetDoubleClickTime(1000));
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 16, nullptr, 0));
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 16, nullptr, 0));
  DeviceService::Qxctl("set TouchMode=3 RbfEnable=0 SoundMode=1");
  const struct {
    const char* what;
    int x, apart, ms;
    bool same, moved;
  } cases[] = {{"6 px and 150 ms apart", 200, 6, 150, true, false},
               {"outside the area: 20 px apart", 500, 20, 150, false, false},
               {"outside the time: 1500 ms apart", 800, 6, 1500, false, false},
               {"the same place, the pointer moved away between", 600, 0, 1500, true, true}};
  for (const auto& c : cases) {
    recorder->Clear();
    const auto first = std::chrono::steady_clock::now();
    Tap(c.x, 300);
    if (c.moved && Presses(1).size() == 1) test::MovePointer(display.name(), 20, 30);
    std::this_thread::sleep_until(first + std::chrono::milliseconds(c.ms));
    Tap(c.x + c.apart, 300);
    const std::vector<Point> presses = Presses(2);
    ASSERT_EQ(presses.size(), 2u) << c.what;
    EXPECT_EQ(presses[1].y, presses[0].y) << c.what;
    EXPECT_NEAR(presses[1].x - presses[0].x, c.same ? 0 : c.apart, c.same ? 0 : 1) << c.what;
  }
}

// Touches off: a tap reaches nothing (the journal says why), a button held is let go; on again: a
// tap clicks.
TEST_F(X11PointerTest, TouchesSwitchedOffReachNothingAndTheJournalSaysWhy) {
  DeviceService::Qxctl("set TouchMode=1 RbfEnable=0 SoundMode=1");
  ASSERT_TRUE(test::PressFinger(300, 300));
  ASSERT_EQ(Presses(1).size(), 1u);
  EXPECT_EQ(DeviceService::QxctlExit("touch off"), 0);
  EXPECT_TRUE(test::WaitUntil([&] { return LastEventIs(XPointerEvent::kRelease); }, 5000));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_NE(DeviceService::Qxctl("output").find("\nTouch: off"), std::string::npos);
  recorder->Clear();
  Tap(500, 500);
  EXPECT_EQ(DeviceService::QxctlExit("touch on"), 0);
  Tap(700, 200);
  // The server delivers in order: whatever the first tap made would come before the second's press.
  const std::vector<Point> presses = Presses(1);
  ASSERT_FALSE(presses.empty());
  EXPECT_GT(presses[0].x, 600);
  EXPECT_NEAR(recorder->Events().front().x, presses[0].x, 1) << "nothing came before the second tap";
  const std::string journal = DeviceService::Qxctl("journal");
  EXPECT_NE(journal.find("TouchIgnored X=500 Y=500 TouchOn=0"), std::string::npos) << journal;
}

// A still finger trembling by 3 units with one wild report, then a stroke, replayed: with the
// steady finger the pointer stays still until the stroke, which it follows report for report;
// without it, the pointer takes the recording's own path.
TEST_F(X11PointerTest, TheSteadyFingerKeepsATremblingFingerStillAndFollowsAStroke) {
  const test::TestTouchscreen panel{"QX Trembling Panel", 0, 1023, 0, 1023, 0};
  test::TouchRecording rec(panel);
  std::vector<std::pair<int, int>> path = {{400, 400}};
  const int tremble[] = {3, -2, 1, -3, 2, 0, -1, 3};
  for (int i = 1; i < 30; ++i) path.push_back({400 + tremble[i % 8], 400 - tremble[(i + 3) % 8]});
  path[15] = {700, 150};  // the spike
  for (int i = 1; i <= 10; ++i) path.push_back({400 + 25 * i, 400});
  rec.Down(0, path[0].first, path[0].second);
  for (std::size_t i = 1; i < path.size(); ++i) rec.Move(10000 * i, path[i].first, path[i].second);
  rec.Up(10000 * path.size());
  const std::string file = root.path() + "/trembling.events";
  test::WriteFile(file, rec.Text());

  for (const int strength : {8, 0}) {
    DeviceService::Qxctl("set TouchMode=1 RbfEnable=0 SoundMode=1 SteadyFinger=" + std::to_string(strength));
    test::MovePointer(display.name(), 5, 5);
    ASSERT_TRUE(test::WaitUntil([&] { return !recorder->Events().empty() && recorder->Events().back().x == 5; }, 5000));
    recorder->Clear();
    ASSERT_EQ(DeviceService::QxctlExit("replay " + file + " --fast"), 0);
    ASSERT_TRUE(test::WaitUntil([&] { return LastEventIs(XPointerEvent::kRelease); }, 5000));
    std::vector<std::pair<int, int>> wanted, moved;
    for (std::size_t i = 0; i < path.size(); ++i) {
      const bool still = strength > 0 && i < 30;
      const ScreenPoint p =
          MapRawToScreen(DefaultState().block, still ? 400 : path[i].first, still ? 400 : path[i].second);
      if (wanted.empty() || wanted.back() != std::pair(p.x, p.y)) wanted.emplace_back(p.x, p.y);
    }
    for (const XPointerEvent& e : recorder->Events())
      if (e.type == XPointerEvent::kMotion) moved.emplace_back(e.x, e.y);
    EXPECT_EQ(moved, wanted) << "SteadyFinger=" << strength;
  }
}

// With HideCursor, a touch hides the cursor, and another pointing device's motion shows it again.
TEST_F(X11PointerTest, TheCursorHidesDuringTouchesAndShowsWhenAMouseMoves) {
  test::OtherPointer mouse(display.name());
  mouse.MoveTo(40, 40);
  ASSERT_TRUE(test::WaitUntil([&] { return display.CursorDrawnAt(40, 40); }, 5000)) << "the screen shows cursors";
  DeviceService::Qxctl("set HideCursor=1 TouchMode=3 RbfEnable=0 SoundMode=1");
  ASSERT_TRUE(test::PressFinger(200, 300));
  const Point a = QxctlPointer();
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_TRUE(
      test::WaitUntil([&] { return !display.CursorDrawnAt(a.x, a.y) && !display.CursorDrawnAt(40, 40); }, 5000));
  mouse.MoveTo(60, 60);
  EXPECT_TRUE(test::WaitUntil([&] { return display.CursorDrawnAt(a.x, a.y); }, 5000)) << "shown after the mouse moved";
}

// A listener at the display's socket that never answers (a server that hangs at the handshake):
// the service starts, serves every client, and says what is wrong.
TEST(X11Display, ADisplayThatNeverAnswersHoldsUpNoClient) {
  test::TempRoot root;
  int number = 90;
  std::string socketPath;
  for (; number < 200; ++number) {
    socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
    if (access(socketPath.c_str(), F_OK) != 0) break;
  }
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 16), 0);
  setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
  std::optional<DeviceService> service;
  service.emplace(std::vector<std::string>{"--pointer", "x11"});
  unsetenv("DISPLAY");
  EXPECT_TRUE(test::WaitUntil(
      [] { return DeviceService::Qxctl("output").find("does not answer") != std::string::npos; }, 15000))
      << DeviceService::Qxctl("output");
  for (int i = 0; i < 20; ++i) EXPECT_EQ(DeviceService::QxctlExit("summary"), 0);
  service.reset();
  close(listener);
  unlink(socketPath.c_str());
}

}  // namespace
}  // namespace qx
