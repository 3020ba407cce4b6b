// What a touch does with the pointer's buttons, in-process, at the level of the actions the touch
// path hands its outputs: the four touch modes, the armed and the automatic right button with its
// timing, the feedback sound. The same touches reach a real X server in x11_pointer_test.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "device/journal.h"
#include "device/state_file.h"
#include "device/touch_path.h"
#include "tests/device/recorded_pointer.h"

namespace qx {
namespace {

using namespace std::chrono_literals;

// One thing that happens to the path: a report (raw X, Y, touching) or only a wake of its timers,
// at T milliseconds after the start.
struct Step {
  int t;
  int x = 0;
  int y = 0;
  bool touching = false;
  bool wakeOnly = false;
};
Step Touch(int t, int x, int y) { return {t, x, y, true}; }
Step Lift(int t, int x, int y) { return {t, x, y, false}; }
Step WakeAt(int t) { return {t, 0, 0, false, true}; }

struct ModeCase {
  const char* what;
  int touchMode;
  int rbfAuto;  // 1: the right-button function on in automatic mode, else off
  int soundMode;
  bool armed;
  std::vector<Step> steps;
  // What the steps hand the output: m(x, y) a move to where raw X, Y maps, L/R press and release.
  std::vector<const char*> expected;
};

TEST(TouchModes, EachModeAndTheRightButtonsMakeTheirButtonEvents) {
  // A press at 100,100, a move to 300,300 (far past the still area) and a lift there.
  const std::vector<Step> drag = {Touch(0, 100, 100), Touch(100, 300, 300), Lift(200, 300, 300)};
  const ModeCase cases[] = {
      {"Stream", 1, 0, 1, false, drag, {"m100,100", "L+", "m300,300", "L-"}},
      {"Lift Off", 2, 0, 1, false, drag, {"m100,100", "m300,300", "L+", "L-"}},
      {"Touch Down", 3, 0, 1, false, drag, {"m100,100", "L+", "L-", "m300,300"}},
      {"Drag Drop", 4, 0, 1, false, drag, {"m100,100", "L+", "m300,300", "L-"}},
      {"Drag Drop, automatic right button, moved before Toggle On: a plain drag from the touch point",
       4,
       1,
       1,
       false,
       {Touch(0, 100, 100), Touch(300, 104, 96), Touch(600, 300, 300), WakeAt(5000), Lift(5100, 300, 300)},
       {"m100,100", "L+", "m300,300", "L-"}},
      {"Drag Drop, automatic right button, a tap: a left click where it touched",
       4,
       1,
       1,
       false,
       {Touch(0, 100, 100), Lift(150, 103, 101), WakeAt(2000)},
       {"m100,100", "L+", "L-"}},
      {"Drag Drop, automatic right button, held still: beep and right press at Toggle On, no left press",
       4,
       1,
       1,
       false,
       {Touch(0, 100, 100), Touch(500, 106, 94), WakeAt(999), WakeAt(1000), Touch(1200, 400, 400),
        Lift(1300, 400, 400)},
       {"m100,100", "bell", "R+", "m400,400", "R-"}},
      {"Drag Drop, automatic right button, held past Toggle Off: the right button goes, the finger points",
       4,
       1,
       1,
       false,
       {Touch(0, 100, 100), WakeAt(1000), WakeAt(2999), WakeAt(3000), Touch(3100, 300, 300), Lift(3200, 300, 300)},
       {"m100,100", "bell", "R+", "R-", "m300,300"}},
      {"the armed right button takes the touch-down in any mode",
       1,
       0,
       1,
       true,
       drag,
       {"m100,100", "R+", "R-", "m300,300"}},
      {"the armed right button before the automatic one",
       4,
       1,
       1,
       true,
       {Touch(0, 100, 100), WakeAt(4000), Lift(4100, 100, 100)},
       {"m100,100", "R+", "R-"}},
      {"sound on touch down and lift off", 3, 0, 4, false, drag, {"m100,100", "L+", "L-", "bell", "m300,300", "bell"}},
      {"sound on lift off only", 1, 0, 3, false, drag, {"m100,100", "L+", "m300,300", "L-", "bell"}},
      {"a mode the service does not know only points", 9, 0, 1, false, drag, {"m100,100", "m300,300"}},
      {"a second tap within the double-click values clicks where the first did, till the finger leaves",
       3,
       0,
       1,
       false,
       {Touch(0, 100, 100), Lift(50, 100, 100), Touch(200, 105, 100), Touch(250, 107, 100), Touch(300, 200, 100),
        Lift(350, 200, 100)},
       {"m100,100", "L+", "L-", "m100,100", "L+", "L-", "m200,100"}},
  };
  for (const ModeCase& c : cases) {
    SettingsBlock block = DefaultState().block;
    block.TouchMode = static_cast<std::uint8_t>(c.touchMode);
    block.RbfEnable = static_cast<std::uint8_t>(c.rbfAuto);
    block.RbfAutoMode = static_cast<std::uint8_t>(c.rbfAuto);
    block.RbfAutoSTime = 1;  // Toggle On 1 s
    block.RbfAutoETime = 3;  // Toggle Off 2 s
    block.RbfAutoBeep = 1;
    block.SoundMode = static_cast<std::uint8_t>(c.soundMode);
    Journal journal;
    TouchPath path(block, journal);
    RecordedPointer output;
    path.Attach(output);
    path.SetDoubleClickSource([] { return DoubleClickValues{500, 16, 16}; });
    path.SetOptions(DefaultOptions());
    if (c.armed) path.Register({7, 1, 0});

    const auto start = std::chrono::steady_clock::now();
    for (const Step& s : c.steps) {
      const auto now = start + std::chrono::milliseconds(s.t);
      if (s.wakeOnly) path.Wake(now);
      else path.Report(static_cast<std::int16_t>(s.x), static_cast<std::int16_t>(s.y), s.touching, now);
    }
    std::vector<PointerAction> expected;
    for (const std::string e : c.expected) {
      if (e == "bell") expected.push_back(PointerAction::Bell(block.SoundTone, block.SoundDuration));
      else if (e[0] == 'm') {
        const ScreenPoint p = MapRawToScreen(block, std::stoi(e.substr(1)), std::stoi(e.substr(e.find(',') + 1)));
        expected.push_back(PointerAction::MoveTo(p.x, p.y));
      } else {
        const PointerButton b = e[0] == 'L' ? PointerButton::kLeft : PointerButton::kRight;
        expected.push_back(e[1] == '+' ? PointerAction::Press(b) : PointerAction::Release(b));
      }
    }
    EXPECT_EQ(output.actions, expected) << c.what;
    EXPECT_EQ(path.rightButton().Armed, 0) << c.what;
    EXPECT_FALSE(path.NextDue()) << c.what << ": no timer left once the finger is up";
  }
}

// Drag Drop with the automatic right button, Toggle On and Toggle Off at the dialog's indexes.
SettingsBlock AutomaticRightButton(int toggleOn, int toggleOff) {
  SettingsBlock block = DefaultState().block;
  block.TouchMode = 4;
  block.RbfEnable = 1;
  block.RbfAutoMode = 1;
  block.RbfAutoSTime = static_cast<std::uint8_t>(toggleOn);
  block.RbfAutoETime = static_cast<std::uint8_t>(toggleOff);
  return block;
}

// The automatic right button paused while a finger is held still (as the control panel does for
// calibration): Toggle On brings no right button, the finger holds the left button as in plain
// Drag Drop, until it lifts.
TEST(TouchModes, APausedAutomaticRightButtonLeavesAHeldFingerTheLeftButton) {
  SettingsBlock block = AutomaticRightButton(1, 3);  // 1 s, 2 s
  block.RbfAutoBeep = 1;                             // would sound at Toggle On
  block.SoundMode = 1;                               // no sound at touch-down or lift-off
  Journal journal;
  TouchPath path(block, journal);
  RecordedPointer output;
  path.Attach(output);
  const auto start = std::chrono::steady_clock::now();
  path.Report(100, 100, true, start);
  block.RbfAutoMode = 0;
  path.Wake(start + 1000ms);
  path.Report(100, 100, false, start + 1200ms);
  const ScreenPoint p = MapRawToScreen(block, 100, 100);
  EXPECT_EQ(output.actions,
            (std::vector<PointerAction>{PointerAction::MoveTo(p.x, p.y), PointerAction::Press(PointerButton::kLeft),
                                        PointerAction::Release(PointerButton::kLeft)}));
  EXPECT_FALSE(path.NextDue());
}

// The automatic right button wakes the loop at Toggle On and Toggle Off, from the block as it is.
TEST(TouchModes, TheAutomaticRightButtonIsDueAtToggleOnThenAtToggleOff) {
  const SettingsBlock block = AutomaticRightButton(4, 0);  // 2.5 s, 0.5 s
  Journal journal;
  TouchPath path(block, journal);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(path.NextDue());
  path.Report(500, 500, true, start);
  EXPECT_EQ(path.NextDue(), start + 2500ms);
  path.Wake(start + 2600ms);
  EXPECT_EQ(path.NextDue(), start + 3000ms) << "Toggle Off counts from Toggle On";
}

}  // namespace
}  // namespace qx
