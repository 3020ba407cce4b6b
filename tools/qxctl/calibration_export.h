// The suite's calibration as the Linux input stack takes it, for a desktop that does not run the
// service (qxctl export-calibration): libinput's calibration matrix (a udev rule), the X server's
// Coordinate Transformation Matrix (xinput), and the X.Org evdev driver's SwapAxes, InvertX,
// InvertY and Calibration options.
//
// The suite maps each axis in two halves through its centre value; the stacks take one affine map.
// Each axis is exported as the straight line that strays least from the two halves over the
// screen (the line through the edges, moved by half of how far the centre lies off it), so the
// exports agree with the suite wherever the centre values are the midpoints of the edges.
//
// How the stacks are taken to map a device position to the screen (pixel i spans i..i + 1):
// libinput and xinput: the device's normalised coordinates (0 at an axis's minimum, 1 at its
// maximum) times the matrix, times the screen's width and height. evdev: the axes exchanged first
// (each value rescaled to the other axis's range), then Calibration's minimum and maximum of each
// axis stretched to the axis's range, then the inversions, then the axis's range onto the screen.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "core/driver_records.h"
#include "core/settings_block.h"

namespace qx {

enum class ExportFormat { kLibinput, kXinput, kXorg };

struct CalibrationExport {
  // The first two rows of libinput's matrix (also xinput's, whose third row is 0 0 1), each
  // value as printed (6 decimals).
  std::array<double, 6> matrix{};
  // The evdev driver's options; Calibration as minx maxx miny maxy in the device's units.
  bool swapAxes = false;
  bool invertX = false;
  bool invertY = false;
  std::array<long long, 4> calibration{};
};

// The export of BLOCK's calibration (CalibrationData, CalibrationFlags, ScreenWidth,
// ScreenHeight) for a device with AXES (their X and Y).
CalibrationExport ExportCalibration(const SettingsBlock& block, const TouchAxes& axes);

// Where FORMAT's stack puts the pointer, in pixels as continuous coordinates, for the device
// position (VX, VY) in the device's units.
std::pair<double, double> ExportedPoint(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                                        const TouchAxes& axes, double vx, double vy);

// The largest distance in pixels, over every raw point of the panel, between the pixel FORMAT's
// stack points at and the one the suite does.
double LargestDifference(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                         const TouchAxes& axes);

// What `qxctl export-calibration` prints for FORMAT: a comment line with the largest difference,
// then the rule, command or section. DEVICE: the device's name ("" when none is known).
std::string FormatExport(ExportFormat format, const CalibrationExport& e, double difference, const std::string& device);

}  // namespace qx
