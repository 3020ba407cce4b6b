// Where the driver puts the pointer for a raw touch, under the block's calibration.
#pragma once

#include "core/picture_turn.h"
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

// P, a pixel of a screen W × H whose picture stands as rotation code FROM, as the pixel over the same
// spot of the glass once the picture stands as TO (the screen W × H turned: H × W after an odd
// number of quarter turns).
ScreenPoint TurnPoint(ScreenPoint p, int w, int h, int from, int to);

// MapRawToScreen for a calibration made while the picture stood as CALIBRATED, the picture standing
// as NOW (the block's screen size being the one it has now): the point is mapped on the screen as it
// stood, then turned, so a monitor rotated since keeps touches under the finger. CALIBRATED -1: as
// it stands now.
ScreenPoint MapRawTurned(const SettingsBlock& block, int calibrated, int now, int rawX, int rawY);

// One axis of it before rounding and keeping on the screen: RAW (already un-exchanged and
// un-mirrored) on LOW..CENTER..HIGH onto 0..(SIZE - 1) / 2..SIZE - 1, each half linear.
double MapAxisExact(double raw, int low, int center, int high, int size);

}  // namespace qx
