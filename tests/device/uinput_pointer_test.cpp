// Touches reach the kernel's uinput: the device service with `--pointer uinput`, run under
// umockdev's preload so that its unchanged code finds a /dev/uinput whose ioctls and writes this
// test answers and records, as the kernel would take them; once with the device made by the
// service itself, once by the device broker the service asks (the package's way).

// clang-format off: before GLib's headers, which make TRUE and FALSE macros.
#include "core/driver_records.h"
#include "tests/support/device_request.h"
// clang-format on

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "tests/support/device_bed.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/temp_root.h"
#include "tests/support/test_broker.h"

namespace qx {
namespace {

using test::DeviceService;

// Whether the device broker makes the device (the service given its socket), else the service.
class UinputPointerTest : public ::testing::TestWithParam<bool> {
 protected:
  UinputPointerTest() {
    std::vector<std::string> env;
    if (GetParam()) {
      broker.emplace(bed, root.path(), ::getuid());
      env.push_back("QX_BROKER=" + broker->socket());
    }
    bed.Preloaded([&] { service.emplace(std::vector<std::string>{"--pointer", "uinput"}, env); });
  }
  std::vector<std::string> TakeEvents() { return bed.TakeEvents(); }

  test::TempRoot root;
  test::DeviceBed bed;
  test::UinputRecord& record = bed.uinput();
  std::optional<test::TestBroker> broker;
  std::optional<DeviceService> service;
};

INSTANTIATE_TEST_SUITE_P(MadeByTheServiceOrTheBroker, UinputPointerTest, ::testing::Bool());

TEST_P(UinputPointerTest, TheServiceMakesAnAbsolutePointerAndWritesEachTouchToIt) {
  EXPECT_EQ(DeviceService::Qxctl("output"), std::string("Input: simulated\nOutput: uinput (QX-COM touch pointer)") +
                                                (GetParam() ? ", from the device broker\n" : "\n") +
                                                DeviceService::LogLine());
  {
    std::lock_guard<std::mutex> lock(record.mutex);
    EXPECT_TRUE(record.created);
    EXPECT_EQ(record.name, "QX-COM touch pointer");
    EXPECT_EQ(record.codes, (std::set<std::pair<unsigned, unsigned>>{
                                {EV_ABS, ABS_X}, {EV_ABS, ABS_Y}, {EV_KEY, BTN_LEFT}, {EV_KEY, BTN_RIGHT}}));
    // The axes span the screen the touches map to: the block's 1024 × 768.
    EXPECT_EQ(record.axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 1023}}, {ABS_Y, {0, 767}}}));
  }
  DeviceService::Qxctl("set TouchMode=1 SoundMode=1");
  TakeEvents();
  // A press at raw 200, 400 (pixel 200, 300), a move to 1023, 1023 (1023, 767), a lift there.
  ASSERT_TRUE(test::PressFinger(200, 400));
  ASSERT_TRUE(test::PressFinger(1023, 1023));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 200", "3 1 300", "syn", "1 272 1", "syn", "3 0 1023",
                                                    "3 1 767", "syn", "1 272 0", "syn"}));
  // The armed right button: a right click where the finger lands, nothing at its lift.
  ASSERT_TRUE(test::ArmRightButton());
  ASSERT_TRUE(test::PressFinger(0, 0));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 0", "3 1 0", "syn", "1 273 1", "syn", "1 273 0", "syn"}));
  // A touch where the last one left the pointer: the kernel drops a value that does not change, so
  // the position goes through a step beside it, and the compositor still puts the pointer there.
  ASSERT_TRUE(test::PressFinger(0, 0));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(),
            (std::vector<std::string>{"3 0 1", "3 0 0", "3 1 0", "syn", "1 272 1", "syn", "1 272 0", "syn"}));
}

// Compositors stretch an absolute pointer over every monitor: a touchscreen on the right-hand
// monitor of two has its touches at that monitor's share of axes made over the whole desktop.
TEST_P(UinputPointerTest, OnTheSecondOfTwoMonitorsATouchIsItsShareOfTheWholeDesktop) {
  MonitorLayout layout{2, -1, {}};
  layout.Monitors[0] = {"DP-1", "", "", "", 0, 0, 1920, 1080, 0, 0, 0, 1, 0};
  layout.Monitors[1] = {"HDMI-1", "", "", "", 1920, 0, 1280, 1024, 0, 0, 0, 0, 0};
  ASSERT_TRUE(test::AskDevice(IOCTL_SET_MONITORS, layout, layout));
  DeviceService::Qxctl("map-to-output HDMI-1");
  DeviceService::Qxctl("set TouchMode=0 SoundMode=1 CalibrationData=0,512,1023,0,512,1023 CalibrationFlags=0");
  TakeEvents();
  ASSERT_TRUE(test::PressFinger(1023, 512));  // the monitor's right edge, half way down: 1279, 512
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 3199", "3 1 512", "syn"}));
  std::lock_guard<std::mutex> lock(record.mutex);
  EXPECT_EQ(record.axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 3199}}, {ABS_Y, {0, 1079}}}));
}

// What the desktop tells of its monitors is taken as it can be: a name with a line end prints as
// one line, in the output, the monitor list and the journal; a monitor of no size is left out; a
// desktop wider than a pointer's axis can be has its positions scaled onto the widest axis.
TEST_P(UinputPointerTest, TheMonitorsAreTakenAsTheyCanBeShownAndTouched) {
  MonitorLayout layout{4, -1, {}};
  layout.Monitors[0] = {"HDMI-1\nInput: forged", "QX\nOutput: forged", "", "", 0, 0, 20000, 1080, 0, 0, 0, 1, 0};
  layout.Monitors[1] = {"NONE", "", "", "", 0, 1080, 0, 0, 0, 0, 0, 0, 0};
  layout.Monitors[2] = {"NEGATIVE", "", "", "", 0, 0, -1024, 768, 0, 0, 0, 0, 0};
  layout.Monitors[3] = {"DP-1", "", "", "", 20000, 0, 20000, 1080, 0, 0, 0, 0, 0};
  ASSERT_TRUE(test::AskDevice(IOCTL_SET_MONITORS, layout, layout));
  EXPECT_EQ(DeviceService::Qxctl("map-to-output"),
            "* HDMI-1\\nInput: forged 20000x1080+0+0 primary (QX\\nOutput: forged )\n  DP-1 20000x1080+20000+0\n");
  const std::string output = DeviceService::Qxctl("output");
  EXPECT_EQ(output.find("\nInput: forged"), std::string::npos) << output;
  EXPECT_NE(output.find("Monitor: HDMI-1\\nInput: forged 20000x1080+0+0 of the desktop 40000x1080"), std::string::npos)
      << output;
  EXPECT_NE(DeviceService::Qxctl("journal").find("Count=2 Chosen=HDMI-1\\nInput: forged\n"), std::string::npos);
  DeviceService::Qxctl("set TouchMode=0 SoundMode=1 CalibrationData=0,512,1023,0,512,1023 CalibrationFlags=0");
  TakeEvents();
  ASSERT_TRUE(test::PressFinger(1023, 1023));  // the first monitor's far corner: the desktop's middle
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 16383", "3 1 1079", "syn"}));
  std::lock_guard<std::mutex> lock(record.mutex);
  EXPECT_EQ(record.axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 32767}}, {ABS_Y, {0, 1079}}}));
}

}  // namespace
}  // namespace qx
