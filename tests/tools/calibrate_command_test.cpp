// qxctl calibrate: its command line, and the acceptance check against an independent computation
// on many random inputs, through real qxctl processes and in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/calibration.h"
#include "tests/support/process.h"
#include "tests/tools/calibration_oracle.h"

namespace qx::test {
namespace {

RunResult Calibrate(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {Program("qxctl"), "calibrate"};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv);
}

TEST(QxctlCalibrate, PrintsTheValuesOfTheWorkedRuns) {
  RunResult r = Calibrate({"--method", "corner", "--screen", "1024x768", "100,120", "900,118", "902,880", "98,882"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "XLeft=86 XCenter=500 XRight=914 YTop=102 YCenter=500 YBottom=898 Flags=0\n");
  r = Calibrate({"--screen", "1024x768", "--method", "side", "500,115", "905,498", "502,885", "95,502"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "XLeft=81 XCenter=501 XRight=918 YTop=97 YCenter=500 YBottom=903 Flags=0\n");
  // Exchanged wires, and a rotation code out of range taken as 0.
  r = Calibrate(
      {"--method", "corner", "--screen", "1024x768", "--rotation", "5", "120,100", "118,900", "880,902", "882,98"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "XLeft=86 XCenter=500 XRight=914 YTop=102 YCenter=500 YBottom=898 Flags=4\n");
}

TEST(QxctlCalibrate, AFailedRunPrintsItsTextAndExitsOne) {
  RunResult r = Calibrate({"--method", "corner", "--screen", "1024x768", "100,120", "900,118", "902,880", "98,120"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "Incorrect Panel Direction! (00101100-00011100)\r\n\r\nPlease checkout the pinout of your touch panel.\n");
  r = Calibrate({"--method", "side", "--screen", "64x480", "500,115", "905,498", "502,885", "95,502"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("Screen Too Small For Calibration! (64 X 480)", 0), 0u) << r.err;
}

TEST(QxctlCalibrate, BadCommandLinesAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--method", "corner", "100,120", "900,118", "902,880", "98,882"},
      {"--screen", "1024x768", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "diagonal", "--screen", "1024x768", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x70000", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "100,120", "900,118", "902,880"},
      {"--method", "corner", "--screen", "1024x768", "100,120", "900,118", "902,880", "98,882", "1,1"},
      {"--method", "corner", "--screen", "1024x768", "100;120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "100,", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "100,40000", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "--rotation", "x", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "--mirror", "100,120", "900,118", "902,880", "98,882"},
      {"--method", "corner", "--screen", "1024x768", "100,120", "900,118", "902,880", "98,882", "--rotation"},
  };
  for (const auto& args : bad) {
    RunResult r = Calibrate(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_EQ(r.exitCode, 64) << line;
    EXPECT_EQ(r.out, "") << line;
    EXPECT_NE(r.err.find("Usage: qxctl calibrate"), std::string::npos) << line;
  }
}

// Random inputs of several kinds: measurements of a plausible panel under any wiring, points
// near the 512 split, anything in the raw range, anything in 16 bits, and odd screen sizes.
class InputMaker {
 public:
  explicit InputMaker(unsigned startValue) : rng_(startValue) {}

  OracleInput Next() {
    OracleInput in;
    in.side = Pick(0, 1) == 1;
    Screen(in);
    in.rotation = Pick(0, 3) == 0 ? Pick(-3, 7) : 0;
    switch (Pick(0, 9)) {
      case 0: Uniform(in, 0, 1023); break;
      case 1: Uniform(in, 500, 524); break;
      case 2: Uniform(in, -32768, 32767); break;
      case 3: Panel(in, Pick(-32768 / 4, 32767 / 4), 20000); break;
      default: Panel(in, 0, 0); break;
    }
    return in;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  void Screen(OracleInput& in) {
    static const std::pair<int, int> common[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}};
    switch (Pick(0, 5)) {
      case 0:
        in.width = Pick(-40, 140);
        in.height = Pick(-40, 140);
        break;
      case 1:
        in.width = Pick(33, 8000);
        in.height = Pick(33, 8000);
        break;
      default: {
        auto [w, h] = common[Pick(0, 4)];
        in.width = w;
        in.height = h;
      }
    }
  }

  void Uniform(OracleInput& in, int low, int high) {
    for (auto& p : in.measured) p = {Pick(low, high), Pick(low, high)};
  }

  // The crosses of the calibration window seen through a panel spanning most of the raw range,
  // with a shaky finger and any of the eight wirings; SHIFT and SPREAD push it outside the range.
  void Panel(OracleInput& in, int shift, int spread) {
    int w = std::max(in.width, 100), h = std::max(in.height, 100);
    int cx = static_cast<int>(std::nearbyint(w / 2.0 - 1)), cy = static_cast<int>(std::nearbyint(h / 2.0 - 1));
    const std::pair<int, int> corner[4] = {{15, 15}, {w - 18, 15}, {w - 18, h - 18}, {15, h - 18}};
    const std::pair<int, int> sides[4] = {{cx, 15}, {w - 18, cy}, {cx, h - 18}, {15, cy}};
    int lowX = Pick(0, 80), highX = Pick(940, 1023) + Pick(0, spread);
    int lowY = Pick(0, 80), highY = Pick(940, 1023) + Pick(0, spread);
    int wiring = Pick(0, 7);
    for (int k = 0; k < 4; ++k) {
      auto [px, py] = in.side ? sides[k] : corner[k];
      int x = lowX + (highX - lowX) * px / w + Pick(-4, 4) + shift;
      int y = lowY + (highY - lowY) * py / h + Pick(-4, 4) + shift;
      if (wiring & 1) x = 1023 - x;
      if (wiring & 2) y = 1023 - y;
      if (wiring & 4) std::swap(x, y);
      in.measured[k] = {std::clamp(x, -32768, 32767), std::clamp(y, -32768, 32767)};
    }
  }

  std::mt19937 rng_;
};

CalibrationResult CoreCalibrate(const OracleInput& in) {
  PointTable table;
  CalibrationMethod method = in.side ? SideMethod : CornerMethod;
  int first = FirstTarget(method);
  for (int k = 0; k < 4; ++k) {
    table.PointX[first + k] = static_cast<std::int16_t>(in.measured[k].first);
    table.PointY[first + k] = static_cast<std::int16_t>(in.measured[k].second);
  }
  auto rotation = static_cast<std::int16_t>(in.rotation);
  return ComputeCalibration(method, static_cast<std::int16_t>(in.width), static_cast<std::int16_t>(in.height), rotation,
                            table);
}

std::string Describe(const OracleInput& in) {
  std::string s = std::string(in.side ? "side " : "corner ") + std::to_string(in.width) + "x" +
                  std::to_string(in.height) + " rotation " + std::to_string(in.rotation) + ":";
  for (auto [x, y] : in.measured) s += " " + std::to_string(x) + "," + std::to_string(y);
  return s;
}

// How many runs end each way, so the check is seen to cover them all.
struct Tally {
  int ok = 0, direction = 0, screen = 0, overflow = 0;
  void Count(const OracleOutcome& o) {
    if (o.ok) ++ok;
    else if (o.message.rfind("Incorrect Panel Direction!", 0) == 0) ++direction;
    else if (o.message.rfind("Screen Too Small", 0) == 0) ++screen;
    else ++overflow;
  }
};

TEST(QxctlCalibrateAcceptance, RealProcessesAgreeWithTheIndependentComputation) {
  InputMaker maker(20240611u);
  Tally tally;
  const int kRuns = 600;
  for (int i = 0; i < kRuns; ++i) {
    OracleInput in = maker.Next();
    OracleOutcome expected = OracleCalibrate(in);
    tally.Count(expected);
    std::vector<std::string> args = {"--method", in.side ? "side" : "corner", "--screen",
                                     std::to_string(in.width) + "x" + std::to_string(in.height)};
    if (in.rotation != 0 || i % 2) args.insert(args.end(), {"--rotation", std::to_string(in.rotation)});
    for (auto [x, y] : in.measured) args.push_back(std::to_string(x) + "," + std::to_string(y));
    RunResult r = Calibrate(args);
    // The values are the result (stdout); a refusal is a message (stderr).
    ASSERT_EQ(expected.ok ? r.out : r.err, OracleLine(expected)) << Describe(in);
    ASSERT_EQ(expected.ok ? r.err : r.out, "") << Describe(in);
    ASSERT_EQ(r.exitCode, expected.ok ? 0 : 1) << Describe(in);
  }
  EXPECT_GT(tally.ok, kRuns / 3);
  EXPECT_GT(tally.direction, 10);
  EXPECT_GT(tally.screen, 5);
  EXPECT_GT(tally.overflow, 0);
}

TEST(QxctlCalibrateAcceptance, TheComputationAgreesInProcessOnManyMoreInputs) {
  InputMaker maker(7u);
  Tally tally;
  const int kRuns = 100000;
  for (int i = 0; i < kRuns; ++i) {
    OracleInput in = maker.Next();
    OracleOutcome expected = OracleCalibrate(in);
    tally.Count(expected);
    CalibrationResult got = CoreCalibrate(in);
    ASSERT_EQ(got.ok, expected.ok) << Describe(in) << "\n" << got.message << "\n" << expected.message;
    ASSERT_EQ(got.message, expected.message) << Describe(in);
    if (!got.ok) continue;
    ASSERT_EQ(got.CalibrationFlags, expected.flags) << Describe(in);
    for (int v = 0; v < 6; ++v) ASSERT_EQ(got.CalibrationData[v], expected.values[v]) << Describe(in) << " value " << v;
  }
  EXPECT_GT(tally.ok, kRuns / 3);
  EXPECT_GT(tally.direction, kRuns / 10);
  EXPECT_GT(tally.screen, kRuns / 100);
  EXPECT_GT(tally.overflow, 10);
}

}  // namespace
}  // namespace qx::test
