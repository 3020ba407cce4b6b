// The calibration computation: the worked runs, direction detection, the 16-bit arithmetic and
// its limits, the screen sizes it refuses.
#include "core/calibration.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <utility>

#include "core/int16_arithmetic.h"
#include "core/settings_block.h"

namespace qx {
namespace {

using Point = std::pair<int, int>;
using Values = std::array<std::int16_t, 6>;

// A table holding p1..p4 of METHOD.
PointTable Measured(CalibrationMethod method, std::array<Point, 4> points) {
  PointTable table;
  int first = FirstTarget(method);
  for (int k = 0; k < 4; ++k) {
    table.PointX[first + k] = static_cast<std::int16_t>(points[k].first);
    table.PointY[first + k] = static_cast<std::int16_t>(points[k].second);
  }
  return table;
}

CalibrationResult Compute(CalibrationMethod method, std::array<Point, 4> points, int w = 1024, int h = 768,
                          int rotation = 0) {
  PointTable table = Measured(method, points);
  auto code = static_cast<std::int16_t>(rotation);
  return ComputeCalibration(method, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), code, table);
}

const std::array<Point, 4> kCornerExample = {{{100, 120}, {900, 118}, {902, 880}, {98, 882}}};
const Values kCornerResult = {86, 500, 914, 102, 500, 898};
const std::array<Point, 4> kSideExample = {{{500, 115}, {905, 498}, {502, 885}, {95, 502}}};
const Values kSideResult = {81, 501, 918, 97, 500, 903};

const char kDirectionHelp[] = "\r\n\r\nPlease checkout the pinout of your touch panel.";

TEST(CalibrationWorkedRuns, CornerAndSideGiveTheDescribedValues) {
  PointTable corner = Measured(CornerMethod, kCornerExample);
  EXPECT_EQ(DirectionPattern(CornerMethod, corner), "00101101");
  CalibrationResult r = Compute(CornerMethod, kCornerExample);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.CalibrationData, kCornerResult);
  EXPECT_EQ(r.CalibrationFlags, 0);
  EXPECT_EQ(r.message, "");

  PointTable side = Measured(SideMethod, kSideExample);
  EXPECT_EQ(DirectionPattern(SideMethod, side), "00101101");
  r = Compute(SideMethod, kSideExample);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.CalibrationData, kSideResult);
  EXPECT_EQ(r.CalibrationFlags, 0);
}

TEST(CalibrationWorkedRuns, SideMethodTakesItsPointsFromTargetsFiveToEight) {
  // The corner targets' entries hold rubbish; only 5..8 may count.
  PointTable table = Measured(SideMethod, kSideExample);
  for (int i = 1; i <= 4; ++i) table.PointX[i] = table.PointY[i] = 999;
  std::int16_t rotation = 0;
  CalibrationResult r = ComputeCalibration(SideMethod, 1024, 768, rotation, table);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationData, kSideResult);
  EXPECT_EQ(table.PointX[1], 999);
}

TEST(CalibrationDirection, ExchangedAxesAreDetectedAndStayExchangedInTheTable) {
  std::array<Point, 4> wired = {{{120, 100}, {118, 900}, {880, 902}, {882, 98}}};
  EXPECT_EQ(DirectionPattern(CornerMethod, Measured(CornerMethod, wired)), "00011110");
  PointTable table = Measured(CornerMethod, wired);
  std::int16_t rotation = 0;
  CalibrationResult r = ComputeCalibration(CornerMethod, 1024, 768, rotation, table);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.CalibrationFlags, 4);
  EXPECT_EQ(r.CalibrationData, kCornerResult);
  EXPECT_EQ(table.PointX[1], 100);
  EXPECT_EQ(table.PointY[1], 120);
  EXPECT_EQ(table.PointX[4], 98);
}

TEST(CalibrationDirection, ReversedXIsMirroredBeforeTheValues) {
  std::array<Point, 4> wired = {{{900, 120}, {100, 118}, {98, 880}, {902, 882}}};
  PointTable table = Measured(CornerMethod, wired);
  EXPECT_EQ(DirectionPattern(CornerMethod, table), "10000111");
  std::int16_t rotation = 0;
  CalibrationResult r = ComputeCalibration(CornerMethod, 1024, 768, rotation, table);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationFlags, 1);
  EXPECT_EQ((std::array<std::int16_t, 4>{table.PointX[1], table.PointX[2], table.PointX[3], table.PointX[4]}),
            (std::array<std::int16_t, 4>{123, 923, 925, 121}));
  EXPECT_EQ(table.PointY[1], 120);  // Y is not touched
}

// Every wiring: the example's points seen through reversed axes and then exchanged wires.
TEST(CalibrationDirection, EveryWiringGivesItsFlagsAndTheSameValues) {
  for (int flags = 0; flags < 8; ++flags) {
    for (CalibrationMethod method : {CornerMethod, SideMethod}) {
      std::array<Point, 4> wired = method == CornerMethod ? kCornerExample : kSideExample;
      for (Point& p : wired) {
        if (flags & XReversed) p.first = 1023 - p.first;
        if (flags & YReversed) p.second = 1023 - p.second;
        if (flags & AxesExchanged) std::swap(p.first, p.second);
      }
      CalibrationResult r = Compute(method, wired);
      ASSERT_TRUE(r.ok) << "flags " << flags << ": " << r.message;
      EXPECT_EQ(r.CalibrationFlags, flags);
      EXPECT_EQ(r.CalibrationData, method == CornerMethod ? kCornerResult : kSideResult) << "flags " << flags;
    }
  }
}

TEST(CalibrationDirection, FiveHundredTwelveIsTheUpperHalf) {
  PointTable table = Measured(CornerMethod, {{{511, 511}, {512, 511}, {512, 512}, {511, 512}}});
  EXPECT_EQ(DirectionPattern(CornerMethod, table), "00101101");
  std::int16_t rotation = 0;
  CalibrationResult r = ComputeCalibration(CornerMethod, 1024, 768, rotation, table);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationFlags, 0);
  // A one-unit span: margins of 2/992 x 16 and 2/736 x 16 round away.
  EXPECT_EQ(r.CalibrationData, (Values{511, 511, 512, 511, 511, 512}));
}

TEST(CalibrationDirection, TwoTargetsInOneQuadrantNameBothPatterns) {
  PointTable table = Measured(CornerMethod, {{{100, 120}, {900, 118}, {902, 880}, {98, 120}}});
  std::int16_t rotation = 0;
  CalibrationResult r = ComputeCalibration(CornerMethod, 1024, 768, rotation, table);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, std::string("Incorrect Panel Direction! (00101100-00011100)") + kDirectionHelp);
  EXPECT_EQ(r.CalibrationData, Values{});
  EXPECT_STREQ(CalibrationErrorTitle, "Touchscreen Calibration");
}

TEST(CalibrationDirection, SideMethodBuildsItsPatternFromTheEdgeTargets) {
  // RIGHT touched on the left: the right X is low in both readings.
  CalibrationResult r = Compute(SideMethod, {{{500, 115}, {95, 498}, {502, 885}, {95, 502}}});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, std::string("Incorrect Panel Direction! (00000101-00000000)") + kDirectionHelp);
}

TEST(CalibrationRotation, EachCodeReordersThePointsBeforeDetection) {
  // p1..p4 such that after the reorder they are the worked example.
  const std::array<Point, 4>& e = kCornerExample;
  const std::pair<int, std::array<Point, 4>> cases[] = {
      {1, {{e[1], e[2], e[3], e[0]}}},  // p1 <- old p4 ...
      {2, {{e[3], e[0], e[1], e[2]}}},  // p1 <- old p2 ...
      {3, {{e[2], e[3], e[0], e[1]}}},  // opposite targets
  };
  for (const auto& [code, measured] : cases) {
    for (CalibrationMethod method : {CornerMethod, SideMethod}) {
      const std::array<Point, 4>& wanted = method == CornerMethod ? kCornerExample : kSideExample;
      std::array<Point, 4> shown = measured;
      if (method == SideMethod) {
        // The same permutation over the side example.
        for (int k = 0; k < 4; ++k)
          for (int j = 0; j < 4; ++j)
            if (measured[k] == e[j]) shown[k] = wanted[j];
      }
      PointTable table = Measured(method, shown);
      std::int16_t rotation = static_cast<std::int16_t>(code);
      CalibrationResult r = ComputeCalibration(method, 1024, 768, rotation, table);
      ASSERT_TRUE(r.ok) << "code " << code;
      EXPECT_EQ(r.CalibrationData, method == CornerMethod ? kCornerResult : kSideResult) << "code " << code;
      EXPECT_EQ(rotation, code);
      int first = FirstTarget(method);
      for (int k = 0; k < 4; ++k) EXPECT_EQ(table.PointX[first + k], wanted[k].first);
    }
  }
}

TEST(CalibrationRotation, OutOfRangeCodesActAsZeroAndAreStoredBack) {
  for (int code : {5, 4, -1, -32768, 32767}) {
    PointTable table = Measured(CornerMethod, kCornerExample);
    std::int16_t rotation = static_cast<std::int16_t>(code);
    CalibrationResult r = ComputeCalibration(CornerMethod, 1024, 768, rotation, table);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.CalibrationData, kCornerResult);
    EXPECT_EQ(rotation, 0) << code;
  }
}

TEST(CalibrationArithmetic, NearestTakesHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(918.5), 918);
  EXPECT_EQ(RoundHalfEven(919.5), 920);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(12.4999), 12);
  EXPECT_EQ(RoundHalfEven(12.5001), 13);
  EXPECT_EQ(RoundHalfEven(-7.9), -8);
  // The side example's right edge: 905 + 13.5 gives 918, not 919.
  EXPECT_EQ(Compute(SideMethod, kSideExample).CalibrationData[XRight], 918);
}

TEST(CalibrationArithmetic, DivisionTruncatesTowardZero) {
  // XLeft = (-5 + 2) \ 2 = -1 (not -2), so XCenter = -1 + (901 + 1) \ 2 = 450.
  CalibrationResult r = Compute(CornerMethod, {{{-5, 120}, {901, 118}, {901, 880}, {2, 882}}});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationData[XCenter], 450);
  // The side centre is neither extended nor clamped: (-3 + 0) \ 2 = -1.
  r = Compute(SideMethod, {{{-3, 115}, {905, 498}, {0, 885}, {95, 502}}});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationData[XCenter], -1);
}

TEST(CalibrationArithmetic, EdgesBeyondTheRawRangeAreClamped) {
  // XLeft 5 with mL = 800 / 992 x 16 = 12.9; YBottom 1015 with mB = 764 / 736 x 16 = 16.6.
  CalibrationResult r = Compute(CornerMethod, {{{5, 252}, {804, 252}, {804, 1015}, {5, 1015}}});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationData[XLeft], 0);
  EXPECT_EQ(r.CalibrationData[YBottom], 1023);
  EXPECT_EQ(r.CalibrationData[XRight], 804 + 13);
  EXPECT_EQ(r.CalibrationData[YTop], 252 - 17);
}

TEST(CalibrationArithmetic, Int16ArithmeticReportsOverflowInsteadOfWrapping) {
  Int16Arithmetic calc;
  EXPECT_EQ(calc.Add(32000, 767), 32767);
  EXPECT_EQ(calc.Div(-7, 2), -3);
  EXPECT_FALSE(calc.overflowed());
  EXPECT_EQ(calc.Add(32767, 1), 0);
  EXPECT_TRUE(calc.overflowed());
  for (auto step : {+[](Int16Arithmetic& c) { c.Sub(-32768, 1); }, +[](Int16Arithmetic& c) { c.Mul(3, 10923); },
                    +[](Int16Arithmetic& c) { c.Div(-32768, -1); }, +[](Int16Arithmetic& c) { c.Div(1, 0); },
                    +[](Int16Arithmetic& c) { c.Nearest(32767.5); }, +[](Int16Arithmetic& c) { c.Nearest(-32769.0); },
                    +[](Int16Arithmetic& c) { c.Nearest(std::numeric_limits<double>::quiet_NaN()); }}) {
    Int16Arithmetic fresh;
    step(fresh);
    EXPECT_TRUE(fresh.overflowed());
  }
  Int16Arithmetic edge;
  EXPECT_EQ(edge.Nearest(32766.5), 32766);
  EXPECT_EQ(edge.Nearest(-32768.4), -32768);
  EXPECT_FALSE(edge.overflowed());
}

TEST(CalibrationArithmetic, RawValuesOutsideTheWorkingRangeFailWithAMessage) {
  // X reversed: 1023 - 32767 at both left targets, whose sum leaves 16 bits.
  CalibrationResult r = Compute(CornerMethod, {{{32767, 120}, {100, 118}, {98, 880}, {32767, 882}}});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message,
            "Calibration Overflow!\r\n\r\nThe measured points give values beyond 16 bits. Please "
            "calibrate again.");
  // Y reversed: mirroring -32768 itself overflows.
  r = Compute(CornerMethod, {{{100, 900}, {900, 900}, {902, -32768}, {98, 100}}});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message.rfind("Calibration Overflow!", 0), 0u) << r.message;
  // The side method's 3 x X8.
  r = Compute(SideMethod, {{{500, 115}, {905, 498}, {502, 885}, {-10923, 502}}});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message.rfind("Calibration Overflow!", 0), 0u) << r.message;
}

// Every intermediate value is a sum, difference or halving of monotone terms in the raw values,
// so its extremes over 0..1023 lie at the corners of the range, each side of the 512 split.
// Trying every raw coordinate at 0, 511, 512 and 1023 thus covers the worst cases of every
// direction code: none overflows. Only the side method's edges on a 65-pixel screen, where a
// half screen less two offsets leaves half a pixel, can pass the 16-bit range, and that run
// fails with the overflow message.
TEST(CalibrationArithmetic, RawValuesInRangeNeverOverflowTheInnerValues) {
  const std::int16_t extremes[4] = {0, 511, 512, 1023};
  const std::pair<int, int> screens[] = {{66, 66}, {32767, 32767}};
  for (CalibrationMethod method : {CornerMethod, SideMethod}) {
    int matched = 0, overflowAt65 = 0;
    for (int combo = 0; combo < (1 << 16); ++combo) {
      PointTable raw;
      int first = FirstTarget(method);
      for (int k = 0; k < 4; ++k) {
        raw.PointX[first + k] = extremes[(combo >> (4 * k)) & 3];
        raw.PointY[first + k] = extremes[(combo >> (4 * k + 2)) & 3];
      }
      for (auto [w, h] : screens) {
        if (method == CornerMethod && w == 66) w = h = 33;
        PointTable table = raw;
        std::int16_t rotation = 0;
        CalibrationResult r =
            ComputeCalibration(method, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), rotation, table);
        ASSERT_EQ(r.message.find("Overflow"), std::string::npos) << method << " " << w << " combo " << combo;
        if (r.ok) ++matched;
      }
      PointTable table = raw;
      std::int16_t rotation = 0;
      CalibrationResult r = ComputeCalibration(method, 65, 65, rotation, table);
      if (r.message.find("Overflow") != std::string::npos) ++overflowAt65;
    }
    EXPECT_GT(matched, 0);
    if (method == CornerMethod) {
      EXPECT_EQ(overflowAt65, 0);
    } else {
      EXPECT_GT(overflowAt65, 0);
    }
  }
}

TEST(CalibrationScreen, SizesThatLeaveNoRoomForTheMarginsAreRefused) {
  struct Case {
    CalibrationMethod method;
    int w, h;
    bool ok;
  };
  const Case cases[] = {
      {CornerMethod, 32, 768, false},    {CornerMethod, 1024, 32, false}, {CornerMethod, 0, 0, false},
      {CornerMethod, -1024, 768, false}, {CornerMethod, 33, 33, true},    {SideMethod, 64, 768, false},
      {SideMethod, 1024, 64, false},     {SideMethod, 40, 40, false},     {SideMethod, 65, 65, true},
  };
  for (const Case& c : cases) {
    const std::array<Point, 4>& points = c.method == CornerMethod ? kCornerExample : kSideExample;
    PointTable table = Measured(c.method, points);
    PointTable before = table;
    std::int16_t rotation = 7;
    CalibrationResult r =
        ComputeCalibration(c.method, static_cast<std::int16_t>(c.w), static_cast<std::int16_t>(c.h), rotation, table);
    EXPECT_EQ(r.ok, c.ok) << c.w << "x" << c.h << ": " << r.message;
    if (c.ok) continue;
    int smallest = c.method == CornerMethod ? 33 : 65;
    EXPECT_EQ(r.message, "Screen Too Small For Calibration! (" + std::to_string(c.w) + " X " + std::to_string(c.h) +
                             ")\r\n\r\nThe targets need a screen of at least " + std::to_string(smallest) + " X " +
                             std::to_string(smallest) + " pixels.");
    EXPECT_EQ(table.PointX, before.PointX);
    EXPECT_EQ(table.PointY, before.PointY);
    EXPECT_EQ(rotation, 7);
  }
}

TEST(CalibrationScreen, TheSmallestSideScreenStillGivesClampedEdges) {
  CalibrationResult r = Compute(SideMethod, kSideExample, 65, 65);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.CalibrationData, (Values{0, 501, 1023, 0, 500, 1023}));
}

}  // namespace
}  // namespace qx
