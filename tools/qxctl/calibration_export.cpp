// The calibration exported: each screen axis as a line over the device axis it comes from, then
// written for each stack's arithmetic (input_stacks.h) and printed in its terms.
#include "tools/qxctl/calibration_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "device/pointer_mapping.h"
#include "device/touch_decoder.h"

namespace qx {

namespace {

// One screen axis as the export maps it: continuous coordinate = slope * x + offset.
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

double Span(const AxisRange& a) { return double(a.Maximum) - a.Minimum; }

// A screen axis, its line over the device axis FROM it comes from (x = v - FROM's minimum, in
// FROM's units), and the device axis OWN of its name, whose units libinput and evdev report in.
struct ScreenAxis {
  AxisLine line;
  AxisRange from;
  AxisRange own;
  int size = 0;
};

// The line over the raw value RAW made a line over FROM's units: the decoder's rescaling to
// 0..1023, mirrored (A = 1023 - raw) when MIRRORED.
AxisLine OverDevice(const AxisLine& raw, bool mirrored, const AxisRange& from) {
  const double k = Span(from) > 0 ? 1023 * raw.slope / Span(from) : 0;
  if (!mirrored) return {k, raw.offset};
  return {-k, 1023 * raw.slope + raw.offset};
}

std::array<ScreenAxis, 2> ScreenAxes(const SettingsBlock& block, const TouchAxes& axes) {
  const std::int16_t* c = block.CalibrationData;
  const std::uint8_t flags = block.CalibrationFlags;
  const AxisRange x = DeviceAxis(axes, false), y = DeviceAxis(axes, true);
  const AxisRange& fromX = flags & 4 ? y : x;
  const AxisRange& fromY = flags & 4 ? x : y;
  const AxisLine lineX = FitAxis(c[XLeft], c[XCenter], c[XRight], block.ScreenWidth);
  const AxisLine lineY = FitAxis(c[YTop], c[YCenter], c[YBottom], block.ScreenHeight);
  return {ScreenAxis{OverDevice(lineX, flags & 1, fromX), fromX, x, block.ScreenWidth},
          ScreenAxis{OverDevice(lineY, flags & 2, fromY), fromY, y, block.ScreenHeight}};
}

double Printed(double v) { return std::round(v * 1e6) / 1e6 + 0.0; }

// The matrix rows of the two screen axes over the device's normalised axes (over max - min + 1):
// libinput's with half a device unit added, so that its truncation rounds; xinput's over the
// libinput driver's axes.
std::array<double, 6> Matrix(const std::array<ScreenAxis, 2>& screen, bool swap, ExportFormat format) {
  std::array<double, 6> m{};
  for (int i = 0; i < 2; ++i) {
    const ScreenAxis& a = screen[i];
    const double size = std::max(a.size, 1);
    double coefficient = a.line.slope * (Span(a.from) + 1) / size;
    double offset = a.line.offset / size;
    if (format == ExportFormat::kXinput) coefficient /= kDriverAxisScale;
    else offset += 0.5 / std::max(Span(a.own) + 1, 1.0);
    m[3 * i + (swap ? 1 - i : i)] = Printed(coefficient);
    m[3 * i + 2] = Printed(offset);
  }
  return m;
}

long long Whole(double v) { return std::llround(std::clamp(v, -2147483648.0, 2147483647.0)); }

// evdev's Calibration for screen axis A before it is made whole: its minimum and maximum, the
// values the driver's whole-unit rescaling turns into the positions the line wants, its truncation
// made a rounding by half a unit. A value the exchange of the axes brought over is truncated once
// already: it lies half a unit below where it came from. INVERT: whether the axis falls.
std::pair<double, double> EvdevRange(const ScreenAxis& a, bool swapped, bool& invert) {
  const double span = Span(a.own);
  double slope = a.line.slope, offset = a.line.offset;  // over the driver's value
  if (swapped) {
    slope = span > 0 ? slope * Span(a.from) / span : 0;
    offset += slope / 2;
  }
  invert = slope < 0;
  if (slope == 0 || span <= 0 || a.size <= 0) return {a.own.Minimum, a.own.Maximum};
  const double units = (span + 1) / a.size;  // the axis's units per pixel on the X server
  const double reach = units * std::abs(slope);
  const double min =
      invert ? a.own.Minimum - (span + 0.5 - units * offset) / reach : a.own.Minimum - (units * offset + 0.5) / reach;
  return {min, min + span / reach};
}

// The pixel under continuous coordinate C on an axis of SIZE pixels.
int Pixel(double c, int size) { return static_cast<int>(std::clamp(std::floor(c), 0.0, std::max(size - 1.0, 0.0))); }

// The largest distance on screen axis I (0: X, 1: Y) between the pixel FORMAT's stack points at
// and the suite's, over the device axis it comes from, the other at its middle.
int AxisDifference(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block, const TouchAxes& axes,
                   int i) {
  const AxisRange range[2] = {DeviceAxis(axes, false), DeviceAxis(axes, true)};
  const int swept = (block.CalibrationFlags & 4) ? 1 - i : i;
  const AxisRange& a = range[swept];
  const long long step = std::max<long long>(1, (static_cast<long long>(Span(a)) + 65535) / 65536);
  int largest = 0;
  for (long long v = a.Minimum; v <= a.Maximum; v += step) {
    int device[2] = {static_cast<int>(range[0].Minimum + Span(range[0]) / 2),
                     static_cast<int>(range[1].Minimum + Span(range[1]) / 2)};
    device[swept] = static_cast<int>(v);
    const ScreenPoint suite =
        MapRawToScreen(block, TouchDecoder::Rescale(device[0], range[0]), TouchDecoder::Rescale(device[1], range[1]));
    const auto [cx, cy] = StackPoint(format, e, axes, block.ScreenWidth, block.ScreenHeight, device[0], device[1]);
    largest = i ? std::max(largest, std::abs(Pixel(cy, block.ScreenHeight) - suite.y))
                : std::max(largest, std::abs(Pixel(cx, block.ScreenWidth) - suite.x));
  }
  return largest;
}

// evdev's Calibration for screen axis I: of the whole numbers either side of each end, the pair
// whose pointer strays least from the suite's.
void ChooseEvdevRange(CalibrationExport& e, const ScreenAxis& a, int i, const SettingsBlock& block,
                      const TouchAxes& axes) {
  bool& invert = i ? e.invertY : e.invertX;
  const auto [min, max] = EvdevRange(a, e.swapAxes, invert);
  int best = -1;
  std::array<long long, 2> chosen{};
  for (double low : {std::floor(min), std::ceil(min)}) {
    for (double high : {std::floor(max), std::ceil(max)}) {
      e.calibration[2 * i] = Whole(low);
      e.calibration[2 * i + 1] = Whole(high);
      const int difference = AxisDifference(e, ExportFormat::kXorg, block, axes, i);
      if (best < 0 || difference < best) best = difference, chosen = {e.calibration[2 * i], e.calibration[2 * i + 1]};
    }
  }
  e.calibration[2 * i] = chosen[0];
  e.calibration[2 * i + 1] = chosen[1];
}

}  // namespace

CalibrationExport ExportCalibration(const SettingsBlock& block, const TouchAxes& axes, ExportFormat format) {
  const std::array<ScreenAxis, 2> screen = ScreenAxes(block, axes);
  CalibrationExport e;
  e.swapAxes = block.CalibrationFlags & 4;
  if (format != ExportFormat::kXorg) {
    e.matrix = Matrix(screen, e.swapAxes, format);
    return e;
  }
  for (int i = 0; i < 2; ++i) ChooseEvdevRange(e, screen[i], i, block, axes);
  return e;
}

double LargestDifference(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                         const TouchAxes& axes) {
  return std::hypot(AxisDifference(e, format, block, axes, 0), AxisDifference(e, format, block, axes, 1));
}

}  // namespace qx
