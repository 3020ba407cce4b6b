// Where the simulated controller puts the pointer for a raw touch under a calibration.
#include "device/pointer_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

#include "device/monitor_choice.h"

namespace qx {
namespace {

SettingsBlock Calibrated(std::array<std::int16_t, 6> values, std::uint8_t flags, int w = 1024, int h = 768) {
  SettingsBlock b{};
  std::copy(values.begin(), values.end(), b.CalibrationData);
  b.CalibrationFlags = flags;
  b.ScreenWidth = static_cast<std::int16_t>(w);
  b.ScreenHeight = static_cast<std::int16_t>(h);
  return b;
}

TEST(PointerMapping, EdgeAndCentreValuesLandOnTheScreenEdgesAndCentre) {
  SettingsBlock b = Calibrated({100, 500, 900, 50, 400, 1000}, 0);
  ScreenPoint p = MapRawToScreen(b, 100, 50);
  EXPECT_EQ(std::pair(p.x, p.y), std::pair(0, 0));
  p = MapRawToScreen(b, 900, 1000);
  EXPECT_EQ(std::pair(p.x, p.y), std::pair(1023, 767));
  p = MapRawToScreen(b, 500, 400);
  EXPECT_NEAR(p.x, 511.5, 0.5);
  EXPECT_NEAR(p.y, 383.5, 0.5);
  // Each half is linear on its own: a quarter of the left half, three quarters of the lower one.
  p = MapRawToScreen(b, 200, 400 + 3 * 150);
  EXPECT_NEAR(p.x, 511.5 / 4, 1.0);
  EXPECT_NEAR(p.y, 383.5 + 3 * 383.5 / 4, 1.0);
  // Beyond the edge values the pointer stays on the screen.
  p = MapRawToScreen(b, 0, 1023);
  EXPECT_EQ(std::pair(p.x, p.y), std::pair(0, 767));
}

TEST(PointerMapping, TheFlagsUndoTheWiringTheCalibrationFound) {
  const std::array<std::int16_t, 6> values = {100, 500, 900, 50, 400, 1000};
  ScreenPoint straight = MapRawToScreen(Calibrated(values, 0), 300, 700);
  for (std::uint8_t flags = 0; flags < 8; ++flags) {
    // What a panel wired that way reports for the same spot: mirrored, then exchanged.
    int x = (flags & 1) ? 1023 - 300 : 300;
    int y = (flags & 2) ? 1023 - 700 : 700;
    if (flags & 4) std::swap(x, y);
    ScreenPoint p = MapRawToScreen(Calibrated(values, flags), x, y);
    EXPECT_EQ(std::pair(p.x, p.y), std::pair(straight.x, straight.y)) << int{flags};
  }
}

TEST(PointerMapping, ACalibrationWithoutSpanOrScreenStillGivesAPoint) {
  // Equal edge and centre values, reversed halves, and no screen at all: no division by zero.
  ScreenPoint p = MapRawToScreen(Calibrated({500, 500, 500, 500, 500, 500}, 0), 700, 100);
  EXPECT_GE(p.x, 0);
  EXPECT_LE(p.x, 1023);
  EXPECT_GE(p.y, 0);
  EXPECT_LE(p.y, 767);
  p = MapRawToScreen(Calibrated({900, 500, 100, 900, 500, 100}, 0), 300, 800);
  EXPECT_GE(p.x, 0);
  EXPECT_LE(p.x, 1023);
  p = MapRawToScreen(Calibrated({100, 500, 900, 50, 400, 1000}, 0, 0, -5), 300, 800);
  EXPECT_EQ(std::pair(p.x, p.y), std::pair(0, 0));
}

// Where each corner of the glass (800 × 480, upright) shows on the picture for each rotation code:
// a picture turned a quarter clockwise (code 1) has its lower-left corner at the glass's upper-left.
TEST(PointerMapping, ATurnedPictureKeepsEachCornerOfTheGlassUnderTheSameSpot) {
  const int w0 = 800, h0 = 480;
  // Upper-left, upper-right, lower-right, lower-left of the glass, on the picture of each code.
  const auto corners = [&](int code) -> std::vector<ScreenPoint> {
    const int w = code == 1 || code == 2 ? h0 : w0, h = code == 1 || code == 2 ? w0 : h0;
    const ScreenPoint ul{0, 0}, ur{w - 1, 0}, lr{w - 1, h - 1}, ll{0, h - 1};
    switch (code) {
      case 1: return {ll, ul, ur, lr};
      case 2: return {ur, lr, ll, ul};
      case 3: return {lr, ll, ul, ur};
      default: return {ul, ur, lr, ll};
    }
  };
  for (int from = 0; from < 4; ++from) {
    const int w = from == 1 || from == 2 ? h0 : w0, h = from == 1 || from == 2 ? w0 : h0;
    for (int to = 0; to < 4; ++to)
      for (int k = 0; k < 4; ++k) {
        const ScreenPoint p = TurnPoint(corners(from)[k], w, h, from, to);
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(corners(to)[k].x, corners(to)[k].y))
            << "corner " << k << " from " << from << " to " << to;
      }
  }
  // A calibration made upright maps a touch, once the picture is turned (the screen's size turned
  // with it), under the same spot of the glass as before.
  const ScreenPoint before = MapRawToScreen(Calibrated({30, 500, 990, 12, 520, 1000}, 1, w0, h0), 200, 900);
  for (int now = 0; now < 4; ++now) {
    const bool side = now == 1 || now == 2;
    const int w = side ? h0 : w0, h = side ? w0 : h0;
    const ScreenPoint touched = MapRawTurned(Calibrated({30, 500, 990, 12, 520, 1000}, 1, w, h), 0, now, 200, 900);
    const ScreenPoint glass = TurnPoint(touched, w, h, now, 0);
    EXPECT_EQ(std::pair(glass.x, glass.y), std::pair(before.x, before.y)) << "rotation " << now;
  }
}

// A monitor near the end of an int's range: the desktop's span is cut at the largest int, not wrapped.
TEST(PointerMapping, TheDesktopSpansItsMonitorsWithinAnIntsRange) {
  constexpr int kMost = std::numeric_limits<int>::max();
  MonitorLayout layout{2, -1, {}};
  layout.Monitors[0] = {"A", "", "", "", 0, 0, 1920, 1080, 0, 0, 0, 1, 0};
  layout.Monitors[1] = {"B", "", "", "", kMost - 100, 0, 1000, 1080, 0, 0, 0, 0, 0};
  EXPECT_EQ(DesktopRect(layout), (ScreenRect{0, 0, kMost, 1080}));
}

}  // namespace
}  // namespace qx
