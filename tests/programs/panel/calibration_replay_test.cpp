// The calibration window run end to end by touches alone: a recording made here of a finger held on
// each of the four targets of a model panel wired with a random exchange and inversion, on a
// touchscreen with axes of its own, played while the window runs, through the service by qxctl
// replay or by a umockdev touchscreen plugged in once the first target shows; Yes; then a tap on
// each target, replayed, puts the pointer within 3 pixels of its cross. A finger resting on a target
// sends a frame every 10 ms, or (as many real panels do) one frame when it lands and nothing more
// until it lifts: the service's repeats of the resting touch let the window take it either way.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <optional>
#include <random>

#include "core/driver_link.h"
#include "tests/programs/panel/calibration_fixture.h"
#include "tests/support/process.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_bed.h"

namespace qx::test {
namespace {

const TestTouchscreen kPanel{"QX Test Panel", -200, 3895, 40, 2087, 0};
// The bed's nodes: one for the panel's start, one for the touches (a node is not used twice).
constexpr char kNode[] = "/dev/input/event5";
constexpr char kTouchedNode[] = "/dev/input/event6";

// Raw 0..1023 to the panel's own units.
std::pair<int, int> DeviceAt(std::pair<int, int> raw) {
  return {DeviceValue(raw.first, kPanel.minX, kPanel.maxX), DeviceValue(raw.second, kPanel.minY, kPanel.maxY)};
}

struct Source {
  const char* what;
  bool framesWhileResting;
  // A umockdev touchscreen the service follows, plugged in once the first target shows; else the
  // recording is replayed with qxctl.
  bool touchscreen;
};

const Source kSources[] = {
    {"a recording with a frame every 10 ms while the finger rests", true, false},
    {"a recording with one frame per touch", false, false},
    {"a touchscreen sending one frame per touch", false, true},
};

class CalibrationFromRecording : public CalibrationTest, public ::testing::WithParamInterface<Source> {
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

TEST_P(CalibrationFromRecording, TheRunTakesTheRecordedTouchesAndThePointerFollowsThePanel) {
  const Source& source = GetParam();
  const unsigned draw = std::random_device{}();
  std::mt19937 random(draw);  // the draw is traced, so that a failing wiring can be made again
  const int wiring = std::uniform_int_distribution<int>(0, 7)(random);
  SCOPED_TRACE(std::string(source.what) + ", random draw " + std::to_string(draw) + ", wiring " +
               std::to_string(wiring));
  std::optional<UmockdevBed> bed;
  std::optional<DeviceService> followsTheBed;
  if (source.touchscreen) {
    service.Stop();
    bed.emplace();
    followsTheBed.emplace(std::vector<std::string>{"--pointer", "none", "--touchscreen", "auto"}, bed->Environment());
    // Plugged in for the panel's start, which wants a controller; its touches come with the next.
    std::string why;
    ASSERT_TRUE(bed->Plug(kPanel, kNode, "", why)) << why;
  }
  MessageRecorder person({IDYES});
  Open(CornerMethod, 1024, 768);
  const PanelModel panel{1024, 768, wiring};
  // The calibration row names whose calibration is in force: a panel taken without one has none
  // yet; after the run, the panel's own. The simulated finger's is no panel's.
  const auto whose = [this] { return Main().cmdCalibration->accessibleDescription().toStdString(); };
  EXPECT_EQ(whose(), source.touchscreen ? "Calibration in force: none yet for QX Test Panel, its touches go straight "
                                          "onto its monitor"
                                        : "");

  // Each target held for half a second, then a second with no finger, so that the window is
  // waiting for the next target before it is touched.
  TouchRecording run(kPanel);
  for (int target = 1; target <= 4; ++target) {
    const std::int64_t t = (target - 1) * 1500000LL;
    const auto [x, y] = DeviceAt(panel.Raw(Cross(target, 1024, 768).first, Cross(target, 1024, 768).second));
    run.Down(t, x, y);
    for (int i = 1; i <= 50 && source.framesWhileResting; ++i) run.Hold(t + i * 10000);
    run.Up(t + 510000);
  }
  ASSERT_TRUE(AwaitTarget(1));
  std::string why;
  const pid_t replay = source.touchscreen ? -1 : Replay(run, "run.events", false);
  if (source.touchscreen) {
    bed->Unplug(kNode);
    ASSERT_TRUE(bed->Plug(kPanel, kTouchedNode, run.Events(), why)) << why;
  }
  EXPECT_TRUE(WaitUntil([&] { return !Window() && Main().isVisible(); }, 20000));
  EXPECT_EQ(replay > 0 ? Exit(replay) : 0, 0) << ReadFile(root.path() + "/replay.log");
  ASSERT_EQ(person.shown.size(), 1u);
  EXPECT_EQ(person.shown[0].text.substr(0, 24), "CALIBRATION IS COMPLETE.");
  EXPECT_EQ(Settings.CalibrationFlags, wiring);
  EXPECT_EQ(whose(), source.touchscreen ? "Calibration in force: made on QX Test Panel" : "");

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

INSTANTIATE_TEST_SUITE_P(Sources, CalibrationFromRecording, ::testing::ValuesIn(kSources));

}  // namespace
}  // namespace qx::test
