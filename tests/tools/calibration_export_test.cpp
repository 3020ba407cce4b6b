// The calibration exported for libinput, xinput and the X.Org evdev driver, read back from the
// printed text and applied as each stack applies it (written out here again from the stacks'
// documented behaviour): random calibrations under every combination of the three flags agree
// with the suite's own mapping within a pixel where the centre values are the midpoints, and the
// printed difference is right where they are not. Then qxctl's command on a real service.
#include "tools/qxctl/calibration_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <regex>
#include <sstream>

#include "device/pointer_mapping.h"
#include "host/machine_root.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

// What a stack was told, read from the printed text alone.
struct Printed {
  double difference = -1;
  double matrix[6] = {};
  bool swap = false, invertX = false, invertY = false;
  double calibration[4] = {};
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
    std::istringstream in(m.str(1));
    for (double& v : p.matrix) in >> v;
    return p;
  }
  const auto option = [&](const std::string& name) {
    EXPECT_TRUE(std::regex_search(text, m, std::regex("Option \"" + name + "\" \"(on|off|[-0-9 ]+)\"\n"))) << text;
    return m.str(1);
  };
  p.swap = option("SwapAxes") == "on";
  p.invertX = option("InvertX") == "on";
  p.invertY = option("InvertY") == "on";
  std::istringstream in(option("Calibration"));
  for (double& v : p.calibration) in >> v;
  return p;
}

// Where the stack puts the pointer for device values (VX, VY): continuous screen coordinates.
std::pair<double, double> Apply(ExportFormat format, const Printed& p, const TouchAxes& a, int w, int h, double vx,
                                double vy) {
  const double nx = (vx - a.X.Minimum) / (a.X.Maximum - a.X.Minimum);
  const double ny = (vy - a.Y.Minimum) / (a.Y.Maximum - a.Y.Minimum);
  if (format != ExportFormat::kXorg) {
    const double* m = p.matrix;
    return {(m[0] * nx + m[1] * ny + m[2]) * w, (m[3] * nx + m[4] * ny + m[5]) * h};
  }
  // evdev: the axes exchanged (each value rescaled to the other's range), Calibration's range
  // stretched over the axis, the inversion, the axis onto the screen.
  double u = a.X.Minimum + (p.swap ? ny : nx) * (a.X.Maximum - a.X.Minimum);
  double v = a.Y.Minimum + (p.swap ? nx : ny) * (a.Y.Maximum - a.Y.Minimum);
  u = (u - p.calibration[0]) / (p.calibration[1] - p.calibration[0]);
  v = (v - p.calibration[2]) / (p.calibration[3] - p.calibration[2]);
  return {(p.invertX ? 1 - u : u) * w, (p.invertY ? 1 - v : v) * h};
}

// The largest distance between the pixel the stack points at and the suite's, over every raw
// point: screen X hangs on one raw axis and screen Y on the other, so each is swept alone.
double Measured(ExportFormat format, const Printed& p, const SettingsBlock& b, const TouchAxes& a) {
  const auto device = [](int raw, const AxisRange& r) { return r.Minimum + raw * (r.Maximum - r.Minimum) / 1023.0; };
  double dx = 0, dy = 0;
  for (int k = 0; k < 1024; ++k) {
    for (const auto [rx, ry] : {std::pair{k, 300}, std::pair{700, k}}) {
      const ScreenPoint suite = MapRawToScreen(b, rx, ry);
      auto [x, y] = Apply(format, p, a, b.ScreenWidth, b.ScreenHeight, device(rx, a.X), device(ry, a.Y));
      dx = std::max(dx, std::abs(std::clamp(x - 0.5, 0.0, b.ScreenWidth - 1.0) - suite.x));
      dy = std::max(dy, std::abs(std::clamp(y - 0.5, 0.0, b.ScreenHeight - 1.0) - suite.y));
    }
  }
  return std::hypot(dx, dy);
}

class ExportAgreement : public ::testing::TestWithParam<int> {};

// Each flag combination with random screens, edges, device axes and formats; centres on the
// midpoints in the first half of the draws, off them by up to 60 raw units in the second.
TEST_P(ExportAgreement, EachFormatMapsRawPointsAsTheSuiteDoesOrSaysHowFarNot) {
  const int flags = GetParam();
  std::mt19937 random(static_cast<unsigned>(1000 + flags));
  const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const std::pair<int, int> screens[] = {{640, 480}, {1024, 768}, {1366, 768}, {1920, 1080}};
  for (int round = 0; round < 8; ++round) {
    SettingsBlock b{};
    std::tie(b.ScreenWidth, b.ScreenHeight) = screens[draw(0, 3)];
    b.CalibrationFlags = static_cast<std::uint8_t>(flags);
    const bool midpoints = round < 4;
    for (int axis = 0; axis < 2; ++axis) {
      const int low = 2 * draw(5, 100), high = 2 * draw(400, 505);
      const int off = midpoints ? 0 : draw(10, 60) * (draw(0, 1) ? 1 : -1);
      const std::int16_t values[3] = {static_cast<std::int16_t>(low), static_cast<std::int16_t>((low + high) / 2 + off),
                                      static_cast<std::int16_t>(high)};
      std::copy(values, values + 3, b.CalibrationData + 3 * axis);
    }
    TouchAxes axes{};
    axes.X = {draw(-500, 500), 0};
    axes.X.Maximum = axes.X.Minimum + draw(8000, 30000);
    axes.Y = {draw(-500, 500), 0};
    axes.Y.Maximum = axes.Y.Minimum + draw(8000, 30000);
    const CalibrationExport e = ExportCalibration(b, axes);
    for (ExportFormat format : {ExportFormat::kLibinput, ExportFormat::kXinput, ExportFormat::kXorg}) {
      SCOPED_TRACE("flags " + std::to_string(flags) + " round " + std::to_string(round) + " format " +
                   std::to_string(int(format)));
      const Printed printed = Read(format, FormatExport(format, e, LargestDifference(e, format, b, axes), "Panel"));
      const double measured = Measured(format, printed, b, axes);
      if (midpoints) EXPECT_LE(measured, 1.0);
      else EXPECT_GT(measured, 1.0);
      EXPECT_NEAR(printed.difference, measured, 0.051);
    }
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
  // The simulated finger's axes are the raw 0..1023; a quote in the name matches any character.
  EXPECT_NE(written.find("ATTRS{name}==\"Panel?9\", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"0.000000 "), std::string::npos)
      << written;
  EXPECT_EQ(rule.substr(0, written.size()), written);
  EXPECT_NE(rule.find("sudo install -m 644 '" + path + "' /etc/udev/rules.d/"), std::string::npos) << rule;
  DeviceService::Qxctl("export-calibration xorg --write", &rc);
  EXPECT_EQ(rc, 64);
  const std::string xorg = DeviceService::Qxctl("export-calibration xorg", &rc);
  EXPECT_NE(xorg.find("Option \"SwapAxes\" \"on\"\n\tOption \"InvertX\" \"on\"\n\tOption \"InvertY\" \"off\""),
            std::string::npos)
      << xorg;
}

}  // namespace
}  // namespace qx
