// A touchscreen on one monitor of two: the X server split into two RandR monitors, the companion
// program telling the service of them, the service putting each touch on the monitor the
// touchscreen is mapped to, and following that monitor when it changes.
#include <gtest/gtest.h>

#include <optional>

#include "device/pointer_mapping.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"
#include "tests/support/x_display.h"

namespace qx {
namespace {

using test::DeviceService;

// The block the service maps with, a monitor of W × H: the calibration below.
SettingsBlock Calibration(int w, int h) {
  SettingsBlock b{};
  const std::int16_t data[6] = {20, 500, 1000, 30, 520, 990};
  std::copy(data, data + 6, b.CalibrationData);
  b.ScreenWidth = static_cast<std::int16_t>(w);
  b.ScreenHeight = static_cast<std::int16_t>(h);
  return b;
}

class MonitorMapping : public ::testing::Test {
 protected:
  MonitorMapping() {
    EXPECT_TRUE(display.SetMonitor("LEFT", 1024, 768, 0, 0));
    EXPECT_TRUE(display.SetMonitor("RIGHT", 1024, 768, 1024, 0));
    setenv("DISPLAY", display.name().c_str(), 1);
    service.emplace(std::vector<std::string>{"--pointer", "x11"});
    unsetenv("DISPLAY");
    recorder.emplace(display.name());
  }
  ~MonitorMapping() override {
    if (companion > 0) test::KillAndWait(companion, SIGTERM);
  }
  // A tap at raw (X, Y) in the Touch Down mode: where the desktop got its click.
  std::pair<int, int> Tap(int x, int y) {
    recorder->Clear();
    DeviceService::Qxctl("touch " + std::to_string(x) + " " + std::to_string(y));
    DeviceService::Qxctl("lift");
    const std::vector<test::XPointerEvent> got = recorder->WaitForEvents(3);
    if (got.size() < 3 || got[1].type != test::XPointerEvent::kPress) return {-1, -1};
    return {got[1].x, got[1].y};
  }
  static bool Chosen(const std::string& line) {
    return DeviceService::Qxctl("map-to-output").find(line) != std::string::npos;
  }

  test::VirtualDisplay display{2048, 768};
  test::TempRoot root;
  std::optional<DeviceService> service;
  std::optional<test::XEventRecorder> recorder;
  pid_t companion = -1;
};

TEST_F(MonitorMapping, ATapLandsOnTheTouchscreensMonitorWhichIsFollowedWhenItChanges) {
  DeviceService::Qxctl("map-to-output RIGHT");
  companion = test::Spawn({test::Program("QXWMECvr")}, root.path() + "/companion.log",
                          {"DISPLAY=" + display.name(), "QT_QPA_PLATFORM=xcb", "QX_SHOWCMD=0"});
  ASSERT_TRUE(test::WaitUntil([] { return Chosen("* RIGHT 1024x768+1024+0"); }, 10000, 50))
      << DeviceService::Qxctl("map-to-output") << test::ReadFile(root.path() + "/companion.log");
  DeviceService::Qxctl("set CalibrationData=20,500,1000,30,520,990 CalibrationFlags=0 TouchMode=3 SoundMode=1");
  ScreenPoint p = MapRawToScreen(Calibration(1024, 768), 700, 300);
  std::pair<int, int> click = Tap(700, 300);
  EXPECT_NEAR(click.first, 1024 + p.x, 1);
  EXPECT_NEAR(click.second, p.y, 1);

  ASSERT_TRUE(display.SetMonitor("RIGHT", 800, 600, 1024, 0));
  ASSERT_TRUE(test::WaitUntil([] { return Chosen("* RIGHT 800x600+1024+0"); }, 10000, 50));
  EXPECT_EQ(DeviceService::Qxctl("get ScreenWidth ScreenHeight"), "ScreenWidth=800\nScreenHeight=600\n");
  p = MapRawToScreen(Calibration(800, 600), 700, 300);
  click = Tap(700, 300);
  EXPECT_NEAR(click.first, 1024 + p.x, 1);
  EXPECT_NEAR(click.second, p.y, 1);
}

}  // namespace
}  // namespace qx
