// A calibration run against the real device service, end to end: a model of a panel turns the
// calibration window's target crosses into raw touches under each of the eight wirings, the
// computation turns the measured points into calibration values, SetCalibration puts them in
// force, and touches anywhere on the screen must then put the pointer where they landed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/calibration.h"
#include "core/driver_link.h"
#include "host/device_file.h"
#include "tests/support/device_service.h"
#include "tests/support/panel_model.h"
#include "tests/support/temp_root.h"

namespace qx::test {
namespace {

class CalibratedPointer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenDriver()); }
  void TearDown() override { CloseDriver(); }

  void Report(std::pair<int, int> raw, bool touching, int reports) {
    SimTouch touch{static_cast<std::int16_t>(raw.first), static_cast<std::int16_t>(raw.second),
                   static_cast<std::uint8_t>(touching), 0, static_cast<std::uint16_t>(reports)};
    TouchSample reply{};
    DWORD returned = 0;
    ASSERT_TRUE(
        DeviceIoControl(DriverHandle, IOCTL_SIM_TOUCH, &touch, sizeof touch, &reply, sizeof reply, &returned, nullptr));
  }

  std::pair<int, int> Pointer() {
    SimStatus status{};
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(DriverHandle, IOCTL_SIM_GET_STATUS, &status, sizeof status, &status, sizeof status,
                                &returned, nullptr));
    return {status.PointerX, status.PointerY};
  }

  // The pointer after a finger rests on screen pixel (px, py).
  std::pair<int, int> TouchAt(const PanelModel& panel, int px, int py) {
    Report(panel.Raw(px, py), true, 2);
    std::pair<int, int> at = Pointer();
    Report(panel.Raw(px, py), false, 1);
    return at;
  }

  void SetScreen(int w, int h) {
    GetSettings();
    Settings.ScreenWidth = static_cast<std::int16_t>(w);
    Settings.ScreenHeight = static_cast<std::int16_t>(h);
    SetScreenSize();
  }

  // One calibration run as the calibration window makes it: a touch held on each cross in turn,
  // its raw position taken with GetTouchSample, then the computation and SetCalibration.
  CalibrationResult Calibrate(const PanelModel& panel, CalibrationMethod method) {
    PointTable points;
    int first = FirstTarget(method);
    for (int target = first; target < first + 4; ++target) {
      auto [px, py] = Cross(target, panel.width, panel.height);
      Report(panel.Raw(px, py), true, 2);
      GetTouchSample();
      EXPECT_TRUE(Touch.Status & TOUCH_BIT);
      points.PointX[target] = Touch.X;
      points.PointY[target] = Touch.Y;
      Report(panel.Raw(px, py), false, 1);
    }
    GetSmiRegistration();
    GetSettings();
    CalibrationResult result =
        ComputeCalibration(method, Settings.ScreenWidth, Settings.ScreenHeight, SmiRecord.RotationCode, points);
    if (result.ok) {
      std::copy(result.CalibrationData.begin(), result.CalibrationData.end(), Settings.CalibrationData);
      Settings.CalibrationFlags = result.CalibrationFlags;
      SetCalibration();
    }
    return result;
  }

  TempRoot root_;
  DeviceService service_;
};

double Distance(std::pair<int, int> a, std::pair<int, int> b) {
  return std::hypot(a.first - b.first, a.second - b.second);
}

TEST_F(CalibratedPointer, EveryWiringMethodAndScreenMapsTouchesBackToWhereTheyLanded) {
  const std::pair<int, int> screens[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}};
  double worstCross = 0, worstAnywhere = 0;
  for (auto [w, h] : screens) {
    SetScreen(w, h);
    for (CalibrationMethod method : {CornerMethod, SideMethod}) {
      for (int wiring = 0; wiring < 8; ++wiring) {
        PanelModel panel{w, h, wiring};
        std::string where = std::to_string(w) + "x" + std::to_string(h) + (method == SideMethod ? " side" : " corner") +
                            " wiring " + std::to_string(wiring);
        CalibrationResult result = Calibrate(panel, method);
        ASSERT_TRUE(result.ok) << where << ": " << result.message;
        EXPECT_EQ(result.CalibrationFlags, wiring) << where;

        // Every cross of both layouts, then a grid that takes in the screen's edges and corners.
        for (int target = 1; target <= 8; ++target) {
          std::pair<int, int> cross = Cross(target, w, h);
          double off = Distance(TouchAt(panel, cross.first, cross.second), cross);
          worstCross = std::max(worstCross, off);
          EXPECT_LE(off, 3.0) << where << " cross " << target;
        }
        for (int i = 0; i <= 16; ++i) {
          for (int j = 0; j <= 12; ++j) {
            std::pair<int, int> spot = {(w - 1) * i / 16, (h - 1) * j / 12};
            double off = Distance(TouchAt(panel, spot.first, spot.second), spot);
            worstAnywhere = std::max(worstAnywhere, off);
            EXPECT_LE(off, 5.0) << where << " at " << spot.first << "," << spot.second;
          }
        }
      }
    }
  }
  std::printf("worst distance: %.2f pixels at a cross, %.2f anywhere\n", worstCross, worstAnywhere);
}

TEST_F(CalibratedPointer, QxctlShowsTheMappedPointerAndTheJournalKeepsIt) {
  SetScreen(1024, 768);
  PanelModel panel{1024, 768, 6};
  ASSERT_TRUE(Calibrate(panel, CornerMethod).ok);
  DeviceService::Qxctl("journal --clear");
  for (int target : {1, 3, 6}) {
    auto [px, py] = Cross(target, 1024, 768);
    auto [rx, ry] = panel.Raw(px, py);
    int code = -1;
    DeviceService::Qxctl("touch " + std::to_string(rx) + " " + std::to_string(ry), &code);
    ASSERT_EQ(code, 0);
    int x = -1, y = -1;
    ASSERT_EQ(std::sscanf(DeviceService::Qxctl("pointer", &code).c_str(), "%d %d", &x, &y), 2);
    EXPECT_LE(Distance({x, y}, {px, py}), 3.0) << "cross " << target;
    std::string journal = DeviceService::Qxctl("journal");
    EXPECT_NE(journal.find("X=" + std::to_string(rx) + " Y=" + std::to_string(ry) + " Touch=1"), std::string::npos);
    EXPECT_NE(journal.find("PointerX=" + std::to_string(x) + " PointerY=" + std::to_string(y)), std::string::npos)
        << journal;
  }
}

}  // namespace
}  // namespace qx::test
