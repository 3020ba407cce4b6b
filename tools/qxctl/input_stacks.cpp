// The three stacks' arithmetic, step by step as their sources do it.
#include "tools/qxctl/input_stacks.h"

#include <algorithm>

namespace qx {

namespace {

// libinput's matrices: single precision, each product rounded to float and the sums taken in
// double before they are kept as float again (matrix_mult).
using FloatMatrix = std::array<std::array<float, 3>, 3>;

FloatMatrix Multiply(const FloatMatrix& a, const FloatMatrix& b) {
  FloatMatrix m{};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      double v = 0;
      for (int i = 0; i < 3; ++i) v += a[row][i] * b[i][col];
      m[row][col] = static_cast<float>(v);
    }
  }
  return m;
}

FloatMatrix ScaleThenMove(double sx, double sy, double dx, double dy) {
  const FloatMatrix move = {{{1, 0, float(dx)}, {0, 1, float(dy)}, {0, 0, 1}}};
  const FloatMatrix scale = {{{float(sx), 0, 0}, {0, float(sy), 0}, {0, 0, 1}}};
  return Multiply(move, scale);
}

double Units(const AxisRange& a) { return double(a.Maximum) - a.Minimum + 1; }

// libinput: M = Un-Normalize * Calibration * Normalize (evdev_device_calibrate) applied to the
// whole-unit position in float and truncated (matrix_mult_vec), then scaled onto the screen.
std::pair<double, double> LibinputPoint(const std::array<double, 6>& c, const AxisRange& x, const AxisRange& y,
                                        int width, int height, int vx, int vy) {
  const double sx = Units(x), sy = Units(y);
  const FloatMatrix user = {
      {{float(c[0]), float(c[1]), float(c[2])}, {float(c[3]), float(c[4]), float(c[5])}, {0, 0, 1}}};
  const FloatMatrix m = Multiply(Multiply(ScaleThenMove(sx, sy, x.Minimum, y.Minimum), user),
                                 ScaleThenMove(1.0 / sx, 1.0 / sy, -x.Minimum / sx, -y.Minimum / sy));
  const float fx = static_cast<float>(vx), fy = static_cast<float>(vy);
  const int cx = static_cast<int>(fx * m[0][0] + fy * m[0][1] + m[0][2]);
  const int cy = static_cast<int>(fx * m[1][0] + fy * m[1][1] + m[1][2]);
  return {(cx - double(x.Minimum)) * width / sx, (cy - double(y.Minimum)) * height / sy};
}

// The X server over the libinput driver: valuators 0..65535 from libinput's scaling, normalised
// over 65536, the matrix (its values in single precision), kept on the axis, onto the screen.
std::pair<double, double> XinputPoint(const std::array<double, 6>& c, const AxisRange& x, const AxisRange& y, int width,
                                      int height, int vx, int vy) {
  const double nx = (vx - double(x.Minimum)) / Units(x) * kDriverAxisScale;
  const double ny = (vy - double(y.Minimum)) / Units(y) * kDriverAxisScale;
  const auto row = [&](int r) {
    const double n = float(c[3 * r]) * nx + float(c[3 * r + 1]) * ny + float(c[3 * r + 2]);
    return std::clamp(n, 0.0, kDriverAxisScale);
  };
  return {row(0) * width, row(1) * height};
}

// xf86ScaleAxis: CX on FROM_MIN..FROM_MAX onto TO_MIN..TO_MAX in whole units, truncated, kept on
// the target range (0 when the source range is empty).
long long ScaleAxis(long long cx, long long toMax, long long toMin, long long fromMax, long long fromMin) {
  const long long from = fromMax - fromMin;
  const long long scaled = from ? (toMax - toMin) * (cx - fromMin) / from + toMin : 0;
  return std::clamp(scaled, toMin, toMax);
}

// The evdev driver (EvdevSwapAbsValuators, EvdevApplyCalibration), then the X server's scaling of
// the axis onto the screen.
std::pair<double, double> EvdevPoint(const CalibrationExport& e, const AxisRange& x, const AxisRange& y, int width,
                                     int height, int vx, int vy) {
  const AxisRange axis[2] = {x, y};
  const long long device[2] = {vx, vy};
  const bool invert[2] = {e.invertX, e.invertY};
  const int size[2] = {width, height};
  double out[2];
  for (int i = 0; i < 2; ++i) {
    const AxisRange& own = axis[i];
    const AxisRange& other = axis[1 - i];
    long long v = device[i];
    if (e.swapAxes) v = ScaleAxis(device[1 - i], own.Maximum, own.Minimum, other.Maximum, other.Minimum);
    v = ScaleAxis(v, own.Maximum, own.Minimum, e.calibration[2 * i + 1], e.calibration[2 * i]);
    if (invert[i]) v = own.Maximum - v + own.Minimum;
    out[i] = (double(v) - own.Minimum) * size[i] / Units(own);
  }
  return {out[0], out[1]};
}

}  // namespace

AxisRange DeviceAxis(const TouchAxes& axes, bool y) {
  if (axes.Slots > 0) return y ? axes.SlotY : axes.SlotX;
  return y ? axes.Y : axes.X;
}

std::pair<double, double> StackPoint(ExportFormat format, const CalibrationExport& e, const TouchAxes& axes, int width,
                                     int height, int vx, int vy) {
  const AxisRange x = DeviceAxis(axes, false), y = DeviceAxis(axes, true);
  switch (format) {
    case ExportFormat::kLibinput: return LibinputPoint(e.matrix, x, y, width, height, vx, vy);
    case ExportFormat::kXinput: return XinputPoint(e.matrix, x, y, width, height, vx, vy);
    case ExportFormat::kXorg: return EvdevPoint(e, x, y, width, height, vx, vy);
  }
  return {0, 0};
}

}  // namespace qx
