// How the Linux input stack puts a touchscreen's device position on the screen, computed the way
// each part computes it (their sources: libinput 1.22, the X server 21.1 with its libinput driver,
// the X.Org evdev driver 2.4 and later), for what qxctl export-calibration tells them:
//
// - libinput, with LIBINPUT_CALIBRATION_MATRIX: the device's units normalised over max - min + 1,
//   the matrix applied in single precision, the position truncated to whole device units, then
//   scaled onto the screen over max - min + 1 (libinput_event_touch_get_x_transformed).
// - xinput's Coordinate Transformation Matrix: the libinput driver's valuators (0..65535, the
//   position scaled over max - min + 1), normalised by the X server over 65536, the matrix applied,
//   the result kept on the axis and scaled onto the screen over 65536.
// - the evdev driver: SwapAxes rescales each value to the other axis, Calibration's minimum and
//   maximum are stretched over the axis, InvertX and InvertY mirror it, all in whole units with
//   truncation (xf86ScaleAxis); the X server scales the axis onto the screen over max - min + 1.
//
// A pixel p spans p..p + 1: the pointer lands on the pixel under the continuous coordinate.
#pragma once

#include <array>
#include <utility>

#include "core/driver_records.h"

namespace qx {

enum class ExportFormat { kLibinput, kXinput, kXorg };

// What a stack is told.
struct CalibrationExport {
  // The first two rows of libinput's or xinput's matrix (xinput's third row is 0 0 1), each value
  // as printed (6 decimals).
  std::array<double, 6> matrix{};
  // The evdev driver's options; Calibration as minx maxx miny maxy in the device's units.
  bool swapAxes = false;
  bool invertX = false;
  bool invertY = false;
  std::array<long long, 4> calibration{};
};

// The device axes the stacks read: a multi-touch device's contacts report on their own axes.
AxisRange DeviceAxis(const TouchAxes& axes, bool y);

// Where FORMAT's stack puts the pointer on a WIDTH x HEIGHT screen, in continuous coordinates, for
// the device position (VX, VY) of a device with AXES.
std::pair<double, double> StackPoint(ExportFormat format, const CalibrationExport& e, const TouchAxes& axes, int width,
                                     int height, int vx, int vy);

// The X server's and libinput's scaling of the X driver's touch axes: 0..65535 over 65536.
constexpr double kDriverAxisScale = 65535.0 / 65536.0;

}  // namespace qx
