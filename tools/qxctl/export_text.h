// What qxctl export-calibration prints: the udev rule for libinput, the xinput command, or the
// xorg.conf section for the evdev driver, each after a comment line with the largest difference.
#pragma once

#include <string>

#include "tools/qxctl/input_stacks.h"

namespace qx {

// FORMAT's text for E, DIFFERENCE pixels from the suite's mapping at most. DEVICE: the device's
// name ("" when none is known).
std::string FormatExport(ExportFormat format, const CalibrationExport& e, double difference, const std::string& device);

}  // namespace qx
