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

// What udev calls a touchscreen is taken, INPUT_PROP_DIRECT or not; where udev gives no
// properties the device's own axes and buttons decide, as udev's test would.
TEST_F(TouchscreenChoice, AutoTakesTouchscreensWithOrWithoutDirectTouchAndPassesOverTouchpadsAndTablets) {
  struct Plugged {
    const char* what;
    TestTouchscreen device;
    const char* udev;
    bool taken;
  };
  const TestTouchscreen direct{"QX Direct Panel", 0, 4095, 0, 4095, 0, true};
  const TestTouchscreen indirect{"QX Indirect Panel", 0, 9600, 0, 7200, 2, false};
  TestTouchscreen touchpad{"QX Pad", 0, 1200, 0, 800, 2, false, Kind::kTouchpad};
  TestTouchscreen tablet{"QX Pen", 0, 20000, 0, 12000, 0, false, Kind::kTablet};
  const Plugged cases[] = {
      {"direct, udev's word", direct, test::kUdevTouchscreen, true},
      {"not direct, udev's word", indirect, test::kUdevTouchscreen, true},
      {"not direct, no udev", indirect, test::kUdevNone, true},
      {"touchpad, udev's word", touchpad, test::kUdevTouchpad, false},
      {"touchpad, no udev", touchpad, test::kUdevNone, false},
      {"tablet, udev's word", tablet, test::kUdevTablet, false},
      {"tablet, no udev", tablet, test::kUdevNone, false},
  };
  for (const Plugged& c : cases) {
    SCOPED_TRACE(c.what);
    Plug(c.device, "", c.udev);
    Start({"--touchscreen", "auto"});
    EXPECT_EQ(DeviceService::QxctlExit("summary"), c.taken ? 0 : 3) << Log();
    EXPECT_EQ(DeviceService::Qxctl("output").find("Input: " + c.device.name), c.taken ? 0 : std::string::npos);
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
  ASSERT_TRUE(test::WaitUntil([] { return test::JournalReports().size() == 1; }, 10000, 20)) << Log();
  bed_.Unplug(node_);
  ASSERT_TRUE(test::WaitUntil([] { return DeviceService::QxctlExit("summary") == 3; }, 10000, 20)) << Log();
  const std::vector<test::JournalReport> lifted = test::JournalReports();
  ASSERT_EQ(lifted.size(), 2u);
  EXPECT_EQ(lifted[1].touch, 0) << "the touch in progress lifts with the device";

  test::TouchRecording tap(d);
  tap.Hold(0);
  tap.Down(200000, 768, 256);
  tap.Up(240000);
  DeviceService::Qxctl("journal --clear");
  Plug(d, tap.Events());
  ASSERT_TRUE(test::WaitUntil([] { return test::JournalReports().size() == 2; }, 10000, 20)) << Log();
  EXPECT_EQ(DeviceService::Qxctl("pointer"), "768 192\n");
  EXPECT_NE(test::ReadFile(root_.path() + "/device/input.ini").find("Name=QX Plugged Panel"), std::string::npos);
  EXPECT_EQ(DeviceService::Qxctl("input simulated"), "simulated\nInput: simulated\n");
  EXPECT_EQ(DeviceService::QxctlExit("summary"), 0);
}

}  // namespace
}  // namespace qx
