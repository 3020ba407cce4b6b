// Which devices the service takes for a touchscreen, and how it follows them as udev announces
// them: a umockdev test bed the test holds, the service running under it.
#include <gtest/gtest.h>

#include "host/machine_root.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_bed.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TestTouchscreen;
using Kind = TestTouchscreen::Kind;

class TouchscreenChoice : public ::testing::Test {
 protected:
  // The service under the test bed, reading what ARGS say.
  void Start(std::vector<std::string> args = {}) { ASSERT_TRUE(service_.Start(args)) << Log(); }
  void Plug(const TestTouchscreen& d, const std::string& events = "", const char* udev = test::kUdevTouchscreen) {
    std::string why;
    node_ = service_.Plug(d, events, why, udev);
    ASSERT_FALSE(node_.empty()) << why;
  }
  std::string Log() const { return service_.Log(); }

  test::TempRoot root_;
  test::ServiceOnBed service_{root_.path()};
  test::UmockdevBed& bed_ = service_.bed();
  std::string node_;  // the device plugged in last
};

// What udev calls a touchscreen is taken, INPUT_PROP_DIRECT or not, whatever its tools; where udev
// gives no properties, or calls it a tablet, the device's own axes and buttons decide: a pen alone
// is a touchscreen controller's. A device named by its path is taken if it can be read as one,
// with a word when it looks like something else.
TEST_F(TouchscreenChoice, AutoTakesTouchscreensWithOrWithoutDirectTouchAndPassesOverTouchpadsAndTablets) {
  struct Plugged {
    const char* what;
    TestTouchscreen device;
    const char* udev;
    bool taken;
    bool byPath = false;
  };
  const TestTouchscreen direct{"QX Direct Panel", 0, 4095, 0, 4095, 0, true};
  const TestTouchscreen indirect{"QX Indirect Panel", 0, 9600, 0, 7200, 2, false};
  TestTouchscreen touchpad{"QX Pad", 0, 1200, 0, 800, 2, false, Kind::kTouchpad};
  TestTouchscreen tablet{"QX Pen", 0, 20000, 0, 12000, 0, false, Kind::kTablet};
  TestTouchscreen pen{"QX Pen Controller", 30, 4040, 60, 4035, 0, false, Kind::kPenController};
  const Plugged cases[] = {
      {"direct, udev's word", direct, test::kUdevTouchscreen, true},
      {"not direct, udev's word", indirect, test::kUdevTouchscreen, true},
      {"not direct, no udev", indirect, test::kUdevNone, true},
      {"touchpad, udev's word", touchpad, test::kUdevTouchpad, false},
      {"touchpad, no udev", touchpad, test::kUdevNone, false},
      {"tablet, udev's word", tablet, test::kUdevTablet, false},
      {"tablet, no udev", tablet, test::kUdevNone, false},
      {"tablet, named by its path", tablet, test::kUdevTablet, true, true},
      {"pen controller, udev's word", pen, test::kUdevTouchscreen, true},
      {"pen controller, called a tablet", pen, test::kUdevTablet, true},
      {"pen controller, no udev", pen, test::kUdevNone, true},
      {"pen controller, named by its path", pen, test::kUdevTablet, true, true},
  };
  for (const Plugged& c : cases) {
    SCOPED_TRACE(c.what);
    Plug(c.device, "", c.udev);
    Start({"--touchscreen", c.byPath ? node_ : "auto"});
    EXPECT_EQ(DeviceService::QxctlExit("summary"), c.taken ? 0 : 3) << Log();
    const std::string output = DeviceService::Qxctl("output");
    EXPECT_EQ(output.find("Input: " + c.device.name), c.taken ? 0 : std::string::npos);
    EXPECT_EQ(output.find("\nNote: it is a tablet") != std::string::npos, c.device.kind == Kind::kTablet && c.taken)
        << output;
    service_.Stop();
    bed_.Unplug(node_);
  }
}

// A touchscreen plugged in after the start is taken, unplugged mid-touch the touch lifts and the
// controller reads as absent, plugged back it is taken again and touches map as calibrated.
TEST_F(TouchscreenChoice, APluggedTouchscreenIsFollowedAndTheRootsSettingTakenAtOnce) {
  const TestTouchscreen d{"QX Plugged Panel", 0, 1023, 0, 1023, 0, false};
  Start();
  DeviceService::Qxctl(
      "set CalibrationData=0,512,1023,0,512,1023 CalibrationFlags=0 ScreenWidth=1024 ScreenHeight=768");
  EXPECT_EQ(DeviceService::Qxctl("input"), "simulated\nInput: simulated\n");
  EXPECT_EQ(DeviceService::Qxctl("input auto"), "auto\nInput: touchscreen auto, absent: no touchscreen found\n");
  EXPECT_EQ(DeviceService::QxctlExit("summary"), 3);

  test::TouchRecording held(d);
  held.Hold(0);
  held.Down(200000, 256, 512);  // and never lifted
  Plug(d, held.Events());
  ASSERT_TRUE(test::WaitUntil([] { return test::JournalReports(true).size() == 1; }, 10000, 20)) << Log();
  bed_.Unplug(node_);
  ASSERT_TRUE(test::WaitUntil([] { return DeviceService::QxctlExit("summary") == 3; }, 10000, 20)) << Log();
  const std::vector<test::JournalReport> lifted = test::JournalReports(true);
  ASSERT_EQ(lifted.size(), 2u);
  EXPECT_EQ(lifted[1].touch, 0) << "the touch in progress lifts with the device";

  test::TouchRecording tap(d);
  tap.Hold(0);
  tap.Down(200000, 768, 256);
  tap.Up(240000);
  DeviceService::Qxctl("journal --clear");
  Plug(d, tap.Events());
  ASSERT_TRUE(test::WaitUntil([] { return test::JournalReports(true).size() == 2; }, 10000, 20)) << Log();
  EXPECT_EQ(DeviceService::Qxctl("pointer"), "768 192\n");
  EXPECT_NE(test::ReadFile(root_.path() + "/device/input.ini").find("Name=QX Plugged Panel"), std::string::npos);
  EXPECT_EQ(DeviceService::Qxctl("input simulated"), "simulated\nInput: simulated\n");
  EXPECT_EQ(DeviceService::QxctlExit("summary"), 0);
}

// With two touchscreens plugged, unplugging the one in use takes the other, which no announcement
// brings.
TEST_F(TouchscreenChoice, UnpluggingTheTouchscreenInUseTakesAnotherThere) {
  Plug({"QX First Panel", 0, 1023, 0, 1023, 0});
  const std::string first = node_;
  Plug({"QX Second Panel", 0, 4095, 0, 4095, 0});
  Start({"--touchscreen", "auto"});
  ASSERT_EQ(DeviceService::Qxctl("output").find("Input: QX First Panel"), 0u) << Log();
  bed_.Unplug(first);
  EXPECT_TRUE(
      test::WaitUntil([] { return DeviceService::Qxctl("output").find("Input: QX Second Panel") == 0; }, 10000, 20))
      << Log();
  EXPECT_EQ(DeviceService::QxctlExit("summary"), 0);
}

// A calibration belongs to the panel it was made on: another panel starts from none (its axes
// straight), the first plugged back from its own, across a restart too; one made before any panel
// (an older settings file's) is given to the first taken.
TEST_F(TouchscreenChoice, EachPanelKeepsItsOwnCalibration) {
  const TestTouchscreen first{"QX First Panel", 0, 1023, 0, 1023, 0}, second{"QX Second Panel", 0, 4095, 0, 4095, 0};
  Start({"--touchscreen", "auto"});
  DeviceService::Qxctl("set CalibrationData=1000,512,20,30,500,990");
  const auto inForce = [](const TestTouchscreen& d) {
    return test::WaitUntil(
        [&] {
          return DeviceService::Qxctl("output").find("\nCalibration: that of " + d.name + " (") != std::string::npos;
        },
        10000, 20);
  };
  const char* const kMine = "1000,512,20,30,500,990\n";
  const char* const kNone = "0,512,1023,0,512,1023\n";
  const struct {
    const TestTouchscreen& panel;
    const char* calibration;
  } steps[] = {{first, kMine}, {second, kNone}, {first, kMine}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.panel.name);
    if (!node_.empty()) bed_.Unplug(node_);
    Plug(step.panel);
    ASSERT_TRUE(inForce(step.panel)) << DeviceService::Qxctl("output") << Log();
    EXPECT_EQ(DeviceService::Qxctl("get CalibrationData"), step.calibration);
  }
  service_.Stop();
  bed_.Unplug(node_);
  Plug(second);
  Start({"--touchscreen", "auto"});
  ASSERT_TRUE(inForce(second)) << Log();
  EXPECT_EQ(DeviceService::Qxctl("get CalibrationData"), kNone);
  DeviceService::Qxctl("set CalibrationData=900,500,100,900,500,100");
  bed_.Unplug(node_);
  Plug(first);
  ASSERT_TRUE(inForce(first)) << Log();
  EXPECT_EQ(DeviceService::Qxctl("get CalibrationData"), kMine);
}

}  // namespace
}  // namespace qx
