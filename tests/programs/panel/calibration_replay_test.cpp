// The calibration window run end to end from a replayed recording: a recording made here of a
// finger held on each of the four targets of a model panel wired with a random exchange and
// inversion, on a touchscreen with axes of its own, played through the service by qxctl replay
// while the window runs; Yes; then a tap on each target, replayed alike, puts the pointer within
// 3 pixels of its cross.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <random>

#include "core/driver_link.h"
#include "tests/programs/panel/calibration_fixture.h"
#include "tests/support/process.h"
#include "tests/support/touch_recording.h"

namespace qx::test {
namespace {

const TestTouchscreen kPanel{"QX Test Panel", -200, 3895, 40, 2087, 0};

// Raw 0..1023 to the panel's own units.
std::pair<int, int> DeviceAt(std::pair<int, int> raw) {
  return {DeviceValue(raw.first, kPanel.minX, kPanel.maxX), DeviceValue(raw.second, kPanel.minY, kPanel.maxY)};
}

class CalibrationFromRecording : public CalibrationTest {
 protected:
  // Plays RECORDING through the service (--fast or at its pace) and returns qxctl's exit code.
  pid_t Replay(const TouchRecording& recording, const std::string& name, bool fast) {
    const std::string file = root.path() + "/" + name;
    WriteFile(file, recording.Text());
    std::vector<std::string> argv = {Program("qxctl"), "--root", root.path(), "replay", file};
    if (fast) argv.push_back("--fast");
    return Spawn(argv, root.path() + "/replay.log");
  }
  static int Exit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(CalibrationFromRecording, TheRunTakesTheRecordedTouchesAndThePointerFollowsThePanel) {
  const unsigned draw = std::random_device{}();
  std::mt19937 random(draw);  // the draw is traced, so that a failing wiring can be made again
  const int wiring = std::uniform_int_distribution<int>(0, 7)(random);
  SCOPED_TRACE("random draw " + std::to_string(draw) + ", wiring " + std::to_string(wiring));
  MessageRecorder person({IDYES});
  Open(CornerMethod, 1024, 768);
  const PanelModel panel{1024, 768, wiring};

  // Each target held for half a second at 100 reports a second, then a second with no finger,
  // so that the window is waiting for the next target before it is touched.
  TouchRecording run(kPanel);
  for (int target = 1; target <= 4; ++target) {
    const std::int64_t t = (target - 1) * 1500000LL;
    const auto [x, y] = DeviceAt(panel.Raw(Cross(target, 1024, 768).first, Cross(target, 1024, 768).second));
    run.Down(t, x, y);
    for (int i = 1; i <= 50; ++i) run.Hold(t + i * 10000);
    run.Up(t + 510000);
  }
  ASSERT_TRUE(AwaitTarget(1));
  const pid_t replay = Replay(run, "run.events", false);
  EXPECT_TRUE(WaitUntil([&] { return !Window() && Main().isVisible(); }, 20000));
  EXPECT_EQ(Exit(replay), 0) << ReadFile(root.path() + "/replay.log");
  ASSERT_EQ(person.shown.size(), 1u);
  EXPECT_EQ(person.shown[0].text.substr(0, 24), "CALIBRATION IS COMPLETE.");
  EXPECT_EQ(Settings.CalibrationFlags, wiring);

  for (int target = 1; target <= 4; ++target) {
    const std::pair cross = Cross(target, 1024, 768);
    const auto [x, y] = DeviceAt(panel.Raw(cross.first, cross.second));
    TouchRecording tap(kPanel);
    tap.Down(0, x, y);
    tap.Up(30000);
    ASSERT_EQ(Exit(Replay(tap, "tap.events", true)), 0);
    int px = -1, py = -1;
    std::sscanf(DeviceService::Qxctl("pointer").c_str(), "%d %d", &px, &py);
    EXPECT_LE(std::hypot(px - cross.first, py - cross.second), 3.0)
        << "target " << target << " at " << cross.first << "," << cross.second << ": pointer " << px << "," << py;
  }
}

}  // namespace
}  // namespace qx::test
