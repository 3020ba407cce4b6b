// Where the simulated controller puts the pointer for a raw touch under a calibration.
#include "device/pointer_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>

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

}  // namespace
}  // namespace qx
