// The calibration exported for libinput, xinput and the X.Org evdev driver, read back from the
// printed text and applied to every device position along each axis: by libinput itself (a
// umockdev touchscreen with the rule's matrix), and by the X server's and the evdev driver's
// arithmetic (tools/qxctl/input_stacks, from their sources: no X driver runs here). Random
// calibrations under every combination of the three flags agree with the suite's own mapping
// within a pixel and the panel's resolution where the centre values are the midpoints, and the
// printed difference is what the stack does. Then qxctl's command on a real service.
#include "tools/qxctl/calibration_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>

#include "device/pointer_mapping.h"
#include "device/touch_decoder.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_device.h"
#include "tools/qxctl/export_text.h"

namespace qx {
namespace {

// What a stack was told, read from the printed text alone.
struct Printed {
  double difference = -1;
  std::string matrixText;
  CalibrationExport told;
};

Printed Read(ExportFormat format, const std::string& text) {
  Printed p;
  std::smatch m;
  EXPECT_TRUE(std::regex_search(text, m, std::regex(R"re(^# largest difference .* screen: ([0-9.]+) px\n)re")));
  p.difference = std::stod(m[1]);
  const std::regex numbers[] = {std::regex(R"re(LIBINPUT_CALIBRATION_MATRIX\}="([^"]+)"\n$)re"),
                                std::regex(R"re("Coordinate Transformation Matrix" (.*) 0 0 1\n$)re")};
  if (format != ExportFormat::kXorg) {
    EXPECT_TRUE(std::regex_search(text, m, numbers[format == ExportFormat::kXinput])) << text;
    p.matrixText = m.str(1);
    std::istringstream in(p.matrixText);
    for (double& v : p.told.matrix) in >> v;
    return p;
  }
  const auto option = [&](const std::string& name) {
    EXPECT_TRUE(std::regex_search(text, m, std::regex("Option \"" + name + "\" \"(on|off|[-0-9 ]+)\"\n"))) << text;
    return m.str(1);
  };
  p.told.swapAxes = option("SwapAxes") == "on";
  p.told.invertX = option("InvertX") == "on";
  p.told.invertY = option("InvertY") == "on";
  std::istringstream in(option("Calibration"));
  for (long long& v : p.told.calibration) in >> v;
  return p;
}

int Pixel(double c, int size) { return static_cast<int>(std::clamp(std::floor(c), 0.0, size - 1.0)); }

// How far a stack's pixels lie from the suite's on each screen axis, at most, over the device
// positions taken and where the stack put them.
struct Distance {
  int x = 0, y = 0;
  void Take(const SettingsBlock& b, const TouchAxes& a, std::pair<int, int> device, std::pair<double, double> stack) {
    const ScreenPoint suite =
        MapRawToScreen(b, TouchDecoder::Rescale(device.first, a.X), TouchDecoder::Rescale(device.second, a.Y));
    x = std::max(x, std::abs(Pixel(stack.first, b.ScreenWidth) - suite.x));
    y = std::max(y, std::abs(Pixel(stack.second, b.ScreenHeight) - suite.y));
  }
  double Length() const { return std::hypot(x, y); }
};

// Every device position along each axis, the other at its middle.
std::vector<std::pair<int, int>> Sweep(const TouchAxes& a) {
  std::vector<std::pair<int, int>> points;
  for (int x = a.X.Minimum; x <= a.X.Maximum; ++x) points.emplace_back(x, (a.Y.Minimum + a.Y.Maximum) / 2);
  for (int y = a.Y.Minimum; y <= a.Y.Maximum; ++y) points.emplace_back((a.X.Minimum + a.X.Maximum) / 2, y);
  return points;
}

// The calibration under FLAGS on a W x H screen: random edges, the centres on their midpoints or
// off them by 10 to 60 raw units.
SettingsBlock Calibration(std::mt19937& random, int flags, int w, int h, bool midpoints) {
  const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  SettingsBlock b{};
  b.ScreenWidth = static_cast<std::int16_t>(w), b.ScreenHeight = static_cast<std::int16_t>(h);
  b.CalibrationFlags = static_cast<std::uint8_t>(flags);
  for (int axis = 0; axis < 2; ++axis) {
    const int low = 2 * draw(5, 100), high = 2 * draw(400, 505);
    const int off = midpoints ? 0 : draw(10, 60) * (draw(0, 1) ? 1 : -1);
    const std::int16_t values[3] = {static_cast<std::int16_t>(low), static_cast<std::int16_t>((low + high) / 2 + off),
                                    static_cast<std::int16_t>(high)};
    std::copy(values, values + 3, b.CalibrationData + 3 * axis);
  }
  return b;
}

// Within a pixel and the panel's resolution on each axis where the centres are the midpoints, and
// the printed difference what the stack does. The resolution: one step of the coarsest of the raw
// units, the device units the axis comes from and those its stack reports in, on the screen; two
// for the evdev driver, which truncates twice.
void ExpectAgreement(ExportFormat format, const Printed& printed, const Distance& d, const SettingsBlock& b,
                     const TouchAxes& a, bool midpoints) {
  for (int i = 0; midpoints && i < 2; ++i) {
    const AxisRange &from = (b.CalibrationFlags & 4) ? (i ? a.X : a.Y) : (i ? a.Y : a.X), &own = i ? a.Y : a.X;
    const int size = i ? b.ScreenHeight : b.ScreenWidth;
    const double perRaw = (size - 1.0) / (b.CalibrationData[3 * i + 2] - b.CalibrationData[3 * i]);
    const double step = std::max(perRaw * std::max(1.0, 1023.0 / (from.Maximum - from.Minimum)),
                                 size / (own.Maximum - own.Minimum + 1.0));
    EXPECT_LE(i ? d.y : d.x, 1 + (format == ExportFormat::kXorg ? 2 : 1) * step);
  }
  EXPECT_NEAR(printed.difference, d.Length(), 0.5) << d.x << " " << d.y;
}

class ExportAgreement : public ::testing::TestWithParam<int> {};

// The X server's stacks: random screens and device axes, four calibrations with the centres on
// their midpoints and four off them.
TEST_P(ExportAgreement, TheXServersStacksMapAsTheSuiteDoesOrSayHowFarNot) {
  std::mt19937 random(static_cast<unsigned>(1000 + GetParam()));
  const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const std::pair<int, int> screens[] = {{640, 480}, {1024, 768}, {1366, 768}, {1920, 1080}};
  for (int round = 0; round < 8; ++round) {
    const auto [w, h] = screens[draw(0, 3)];
    const SettingsBlock b = Calibration(random, GetParam(), w, h, round < 4);
    TouchAxes axes{};
    axes.X.Minimum = draw(-500, 500), axes.X.Maximum = axes.X.Minimum + draw(400, 30000);
    axes.Y.Minimum = draw(-500, 500), axes.Y.Maximum = axes.Y.Minimum + draw(400, 30000);
    for (ExportFormat format : {ExportFormat::kXinput, ExportFormat::kXorg}) {
      SCOPED_TRACE("flags " + std::to_string(GetParam()) + " round " + std::to_string(round));
      const CalibrationExport e = ExportCalibration(b, axes, format);
      const Printed printed = Read(format, FormatExport(format, e, LargestDifference(e, format, b, axes), "Panel"));
      Distance d;
      for (const auto& [x, y] : Sweep(axes))
        d.Take(b, axes, {x, y}, StackPoint(format, printed.told, axes, w, h, x, y));
      ExpectAgreement(format, printed, d, b, axes, round < 4);
    }
  }
}

// libinput itself: an 800 x 480 panel before a 1920 x 1080 screen, one calibration with the
// centres on their midpoints and one off them, the rule's matrix the device's udev property.
TEST_P(ExportAgreement, LibinputMapsAsTheSuiteDoesOrSaysHowFarNot) {
  std::mt19937 random(static_cast<unsigned>(2000 + GetParam()));
  const test::TestTouchscreen panel{"QX Test Panel", 0, 799, 0, 479, 0};
  TouchAxes axes{};
  axes.X = {0, 799}, axes.Y = {0, 479};
  test::TempRoot root;
  for (bool midpoints : {true, false}) {
    const SettingsBlock b = Calibration(random, GetParam(), 1920, 1080, midpoints);
    const CalibrationExport e = ExportCalibration(b, axes, ExportFormat::kLibinput);
    const std::string text =
        FormatExport(ExportFormat::kLibinput, e, LargestDifference(e, ExportFormat::kLibinput, b, axes), "");
    const Printed printed = Read(ExportFormat::kLibinput, text);
    const std::vector<std::pair<int, int>> points = Sweep(axes);
    test::TouchRecording touches(panel);
    for (std::size_t k = 0; k < points.size(); ++k) {
      const std::int64_t t = 250 * static_cast<std::int64_t>(k);
      k == 0 || k == 800 ? touches.Down(t, points[k].first, points[k].second)
                         : touches.Move(t, points[k].first, points[k].second);
      if (k == 799 || k + 1 == points.size()) touches.Up(t + 125);
    }
    const std::string dir = root.path();
    test::WriteFile(dir + "/panel.desc", test::Description(panel));
    test::WriteFile(dir + "/panel.events", touches.Events());
    std::string why;
    ASSERT_TRUE(test::WriteUmockdevDevice(dir + "/panel.desc", "/dev/input/event5", dir + "/panel", why,
                                          std::string(test::kUdevTouchscreen) + "\nLIBINPUT_CALIBRATION_MATRIX=" + printed.matrixText))
        << why;
    const test::RunResult run =
        test::Run({"/usr/bin/umockdev-wrapper", test::Program("libinput-touches"), dir + "/panel", "/dev/input/event5",
                   dir + "/panel.events", "1920", "1080", "2"},
                  {}, 60000);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::pair<double, double>> at;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);) {
      std::istringstream xy(line);
      if (line != "up") xy >> at.emplace_back().first >> at.back().second;
    }
    ASSERT_EQ(at.size(), points.size()) << run.err;
    Distance d;
    for (std::size_t k = 0; k < points.size(); ++k) d.Take(b, axes, points[k], at[k]);
    SCOPED_TRACE(text);
    ExpectAgreement(ExportFormat::kLibinput, printed, d, b, axes, midpoints);
  }
}

INSTANTIATE_TEST_SUITE_P(Flags, ExportAgreement, ::testing::Range(0, 8));

TEST(ExportCommand, TheInputInForceAndTheRuleWrittenUnderTheRoot) {
  test::TempRoot root;
  test::DeviceService service;
  using test::DeviceService;
  DeviceService::Qxctl(
      "set CalibrationData=100,512,924,80,512,944 CalibrationFlags=5 ScreenWidth=800 ScreenHeight=600");
  int rc = -1;
  const std::string rule = DeviceService::Qxctl("export-calibration libinput --device Panel\"9 --write", &rc);
  EXPECT_EQ(rc, 0);
  const std::string path = root.path() + "/etc/udev/rules.d/99-qx-com-calibration.rules";
  const std::string written = test::ReadFile(path);
  // The simulated finger's axes are the raw 0..1023.
  EXPECT_NE(written.find("ATTRS{name}==\"Panel\\\"9\", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"0.000000 "),
            std::string::npos)
      << written;
  EXPECT_EQ(rule.substr(0, written.size()), written);
  EXPECT_NE(rule.find("sudo install -m 644 '" + path + "' /etc/udev/rules.d/"), std::string::npos) << rule;
  DeviceService::Qxctl("export-calibration xorg --write", &rc);
  EXPECT_EQ(rc, 64);
  // Any other name matches that name alone: udev's glob characters escaped; udev splits a value at
  // every '|', escaped or not, so that one matches any one character.
  for (const auto& [name, match] : {std::pair{"*", R"(\*)"}, {"a|b", "a?b"}, {"Touch [1]?", R"(Touch \[1]\?)"}})
    EXPECT_NE(FormatExport(ExportFormat::kLibinput, {}, 0, name).find("{name}==\"" + std::string(match) + "\", "),
              std::string::npos);
  const std::string xorg = DeviceService::Qxctl("export-calibration xorg", &rc);
  EXPECT_NE(xorg.find("Option \"SwapAxes\" \"on\"\n\tOption \"InvertX\" \"on\"\n\tOption \"InvertY\" \"off\""),
            std::string::npos)
      << xorg;
  // A root whose etc/ is a link out of it: the rule is not written there.
  const std::filesystem::path outside = root.path() + "-outside";
  std::filesystem::remove_all(root.path() + "/etc");
  std::filesystem::create_directory(outside);
  std::filesystem::create_directory_symlink(outside, root.path() + "/etc");
  DeviceService::Qxctl("export-calibration libinput --write", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_FALSE(std::filesystem::exists(outside / "udev"));
  std::filesystem::remove_all(outside);
}

}  // namespace
}  // namespace qx
