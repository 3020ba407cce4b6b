// The suite's calibration as the Linux input stack takes it, for a desktop that does not run the
// service (qxctl export-calibration): libinput's calibration matrix (a udev rule), the X server's
// Coordinate Transformation Matrix (xinput), and the X.Org evdev driver's SwapAxes, InvertX,
// InvertY and Calibration options.
//
// The suite maps each axis in two halves through its centre value; the stacks take one affine map.
// Each axis is exported as the straight line that strays least from the two halves over the
// screen (the line through the edges, moved by half of how far the centre lies off it), so the
// exports agree with the suite wherever the centre values are the midpoints of the edges. The line
// is then written for each stack's own arithmetic (input_stacks.h): where a stack truncates to
// whole device units, half a unit is added so that its truncation rounds.
#pragma once

#include <string>

#include "core/settings_block.h"
#include "tools/qxctl/input_stacks.h"

namespace qx {

// FORMAT's export of BLOCK's calibration (CalibrationData, CalibrationFlags, ScreenWidth,
// ScreenHeight) for a device with AXES.
CalibrationExport ExportCalibration(const SettingsBlock& block, const TouchAxes& axes, ExportFormat format);

// The largest distance in pixels between the pixel FORMAT's stack points at and the one the suite
// does, over every device position of the panel (on an axis of more than 65,536 units, 65,536 of
// them evenly spread).
double LargestDifference(const CalibrationExport& e, ExportFormat format, const SettingsBlock& block,
                         const TouchAxes& axes);

// What `qxctl export-calibration` prints for FORMAT: a comment line with the largest difference,
// then the rule, command or section. DEVICE: the device's name ("" when none is known).
std::string FormatExport(ExportFormat format, const CalibrationExport& e, double difference, const std::string& device);

}  // namespace qx
