// Where the driver puts the pointer for a raw touch, under the block's calibration.
#pragma once

#include "core/settings_block.h"

namespace qx {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// The raw point is first un-exchanged and un-mirrored by CalibrationFlags, the way the
// calibration measured it; then XLeft, XCenter and XRight are the left edge (0), the horizontal
// centre ((W - 1) / 2) and the right edge (W - 1), each half linear, and likewise for Y.
// The result is rounded and kept on the screen. A calibration whose halves are empty or
// reversed maps that half to its centre rather than dividing by zero.
ScreenPoint MapRawToScreen(const SettingsBlock& block, int rawX, int rawY);

// One axis of it before rounding and keeping on the screen: RAW (already un-exchanged and
// un-mirrored) on LOW..CENTER..HIGH onto 0..(SIZE - 1) / 2..SIZE - 1, each half linear.
double MapAxisExact(double raw, int low, int center, int high, int size);

}  // namespace qx
