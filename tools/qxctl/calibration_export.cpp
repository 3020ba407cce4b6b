// The calibration exported: each screen axis as a line over the device's normalised axis, then
// written out in each stack's terms.
#include "tools/qxctl/calibration_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "device/pointer_mapping.h"

namespace qx {

namespace {

// One screen axis as the export maps it: continuous coordinate = slope * n + offset, n being the
// device axis it comes from, normalised to 0..1.
struct AxisLine {
  double slope = 0;
  double offset = 0;
};

// The line over the suite's raw value A (after the flags) that strays least from its two halves
// between the edges LOW and HIGH: the line through the edges, moved by half of the centre's
// distance from it. Pixel p's middle is p + 0.5.
AxisLine FitAxis(int low, int center, int high, int size) {
  const double last = size - 1;
  if (high <= low || size <= 1) return {0, last / 2 + 0.5};
  const double slope = last / (high - low);
  const double kink = std::clamp(center, low, high);
  const double off = MapAxisExact(kink, low, center, high, size) - slope * (kink - low);
  return {slope, -slope * low + off / 2 + 0.5};
}

// The screen axis over its device axis normalised: A = 1023 n, or 1023 (1 - n) when mirrored.
AxisLine OverDevice(const AxisLine& raw, bool mirrored) {
  if (!mirrored) return {1023 * raw.slope, raw.offset};
  return {-1023 * raw.slope, 1023 * raw.slope + raw.offset};
}

double Printed(double v) { return std::round(v * 1e6) / 1e6; }

// evdev's Calibration minimum and maximum for a screen axis LINE of SIZE pixels over a device
// axis [FROM, TO], and whether the axis is inverted.
std::pair<long long, long long> EvdevRange(const AxisLine& line, int size, const AxisRange& axis, bool& invert) {
  const double span = double(axis.Maximum) - axis.Minimum;
  invert = line.slope < 0;
  if (line.slope == 0) return {axis.Minimum, axis.Maximum};
  const double min =
      invert ? axis.Minimum + (size - line.offset) * span / line.slope : axis.Minimum - line.offset * span / line.slope;
  const double max = min + std::abs(size * span / line.slope);
  const auto whole = [](double v) { return std::llround(std::clamp(v, -2147483648.0, 2147483647.0)); };
  return {whole(min), whole(max)};
}

double Normalised(double v, const AxisRange& axis) {
  return axis.Maximum > axis.Minimum ? (v - axis.Minimum) / (double(axis.Maximum) - axis.Minimum) : 0;
}

std::pair<double, double> EvdevPoint(const CalibrationExport& e, const SettingsBlock& block, const TouchAxes& axes,
                                     double vx, double vy) {
  double n[2] = {Normalised(vx, axes.X), Normalised(vy, axes.Y)};
  if (e.swapAxes) std::swap(n[0], n[1]);
  const AxisRange range[2] = {axes.X, axes.Y};
  const bool invert[2] = {e.invertX, e.invertY};
  const int size[2] = {block.ScreenWidth, block.ScreenHeight};
  double out[2];
  for (int i = 0; i < 2; ++i) {
    const double span = double(range[i].Maximum) - range[i].Minimum;
    const double u = range[i].Minimum + n[i] * span;  // the valuator, in the axis's units
    const double low = double(e.calibration[2 * i]), high = double(e.calibration[2 * i + 1]);
    double t = high != low ? (u - low) / (high - low) : n[i];
    if (invert[i]) t = 1 - t;
    out[i] = t * size[i];
  }
  return {out[0], out[1]};
}

// A device name inside the double quotes of a udev rule or an xorg.conf section, which cannot hold
// a quote or a backslash: each such character becomes '?' (any one character in a udev match).
std::string Quoted(const std::string& name) {
  std::string out;
  for (char ch : name) out += (ch == '"' || ch == '\\' || static_cast<unsigned char>(ch) < 0x20) ? '?' : ch;
  return '"' + out + '"';
}

// A device name as one word of a shell command: the characters the shell reads inside double
// quotes are escaped.
std::string ShellQuoted(const std::string& name) {
  std::string out = "\"";
  for (char ch : name) {
    if (ch == '"' || ch == '\\' || ch == '$' || ch == '`') out += '\\';
    out += ch;
  }
  return out + '"';
}

std::string Numbers(const double* values, int count) {
  std::string out;
  char text[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "%s%.6f", i ? " " : "", values[i]);
    out += text;
  }
  return out;
}

std::string XorgSection(const CalibrationExport& e, const std::string& device) {
  const auto onOff = [](bool on) { return on ? "\"on\"" : "\"off\""; };
  std::string text = "Section \"InputClass\"\n\tIdentifier \"QX-COM touch-screen calibration\"\n";
  text += "\tMatchIsTouchscreen \"on\"\n";
  if (!device.empty()) text += "\tMatchProduct " + Quoted(device) + "\n";
  text += "\tMatchDevicePath \"/dev/input/event*\"\n\tDriver \"evdev\"\n";
  text += std::string("\tOption \"SwapAxes\" ") + onOff(e.swapAxes) + "\n";
  text += std::string("\tOption \"InvertX\" ") + onOff(e.invertX) + "\n";
  text += std::string("\tOption \"InvertY\" ") + onOff(e.invertY) + "\n";
  text += "\tOption \"Calibration\" \"" + std::to_string(e.calibration[0]) + " " + std::to_string(e.calibration[1]) +
          " " + std::to_string(e.calibration[2]) + " " + std::to_string(e.calibration[3]) + "\"\n";
  return text + "EndSection\n";
}

}  // namespace

std::string FormatExport(ExportFormat format, const CalibrationExport& e, double difference,
                         const std::string& device) {
  char line[100];
  std::snprintf(line, sizeof line, "# largest difference from the suite's own mapping over the screen: %.1f px\n",
                difference);
  std::string text = line;
  switch (format) {
    case ExportFormat::kLibinput:
      text += "ACTION==\"add|change\", KERNEL==\"event[0-9]*\", ";
      text += device.empty() ? "ENV{ID_INPUT_TOUCHSCREEN}==\"1\"" : "ATTRS{name}==" + Quoted(device);
      return text + ", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"" + Numbers(e.matrix.data(), 6) + "\"\n";
    case ExportFormat::kXinput:
      if (device.empty()) text += "# NAME: the touchscreen's name as `xinput list` shows it\n";
      return text + "xinput set-prop " + (device.empty() ? "\"NAME\"" : ShellQuoted(device)) +
             " --type=float \"Coordinate Transformation Matrix\" " + Numbers(e.matrix.data(), 6) + " 0 0 1\n";
    case ExportFormat::kXorg: return text + XorgSection(e, device);
  }
  return text;
}

CalibrationExport ExportCalibration(const SettingsBlock& block, const TouchAxes& axes) {
  const std::int16_t* c = block.CalibrationData;
  const bool swap = block.CalibrationFlags & 4;
  const AxisLine x =
      OverDevice(FitAxis(c[XLeft], c[XCenter], c[XRight], block.ScreenWidth), block.CalibrationFlags & 1);
  const AxisLine y =
      OverDevice(FitAxis(c[YTop], c[YCenter], c[YBottom], block.ScreenHeight), block.CalibrationFlags & 2);
  CalibrationExport e;
  const double w = std::max<int>(block.ScreenWidth, 1), h = std::max<int>(block.ScreenHeight, 1);
  // Screen X from device X, or from device Y when the wires are exchanged; likewise screen Y.
  e.matrix = {swap ? 0 : x.slope / w, swap ? x.slope / w : 0, x.offset / w,
              swap ? y.slope / h : 0, swap ? 0 : y.slope / h, y.offset / h};
  for (double& v : e.matrix) v = Printed(v);
  e.swapAxes = swap;
  const auto [minX, maxX] = EvdevRange(x, block.ScreenWidth, axes.X, e.invertX);
  const auto [minY, maxY] = EvdevRange(y, block.ScreenHeight, axes.Y, e.invertY);
  e.calibration = {minX, maxX, minY, maxY};
  return e;
}

std::pair<double, double> ExportedPoint(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                                        const TouchAxes& axes, double vx, double vy) {
  if (format == ExportFormat::kXorg) return EvdevPoint(e, block, axes, vx, vy);
  const double nx = Normalised(vx, axes.X), ny = Normalised(vy, axes.Y);
  const auto& m = e.matrix;
  return {(m[0] * nx + m[1] * ny + m[2]) * block.ScreenWidth, (m[3] * nx + m[4] * ny + m[5]) * block.ScreenHeight};
}

double LargestDifference(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                         const TouchAxes& axes) {
  const auto device = [](int raw, const AxisRange& a) {
    return a.Minimum + raw * (double(a.Maximum) - a.Minimum) / 1023;
  };
  const auto pixel = [](double c, int size) { return std::clamp(c - 0.5, 0.0, std::max(size - 1.0, 0.0)); };
  double dx = 0, dy = 0;
  // Each screen axis depends on one device axis: the raw points along each, the other at its middle.
  for (int pass = 0; pass < 2; ++pass) {
    for (int k = 0; k <= 1023; ++k) {
      const int rx = pass ? 512 : k, ry = pass ? k : 512;
      const ScreenPoint suite = MapRawToScreen(block, rx, ry);
      const auto [cx, cy] = ExportedPoint(e, format, block, axes, device(rx, axes.X), device(ry, axes.Y));
      dx = std::max(dx, std::abs(pixel(cx, block.ScreenWidth) - suite.x));
      dy = std::max(dy, std::abs(pixel(cy, block.ScreenHeight) - suite.y));
    }
  }
  return std::hypot(dx, dy);
}

}  // namespace qx
