// The RotationCode the companion registers: how the picture stands on the touch panel, in the
// terms the calibration reorders its four measured points by.
//
//   0  upright: the screen in its natural orientation
//   1  the picture turned a quarter clockwise on the panel: the screen turned a quarter
//      counter-clockwise (Qt's InvertedPortraitOrientation on a landscape screen; xrandr --rotate right)
//   2  the picture turned a quarter counter-clockwise: the screen turned a quarter clockwise
//      (PortraitOrientation; xrandr --rotate left)
//   3  a half turn (InvertedLandscapeOrientation; xrandr --rotate inverted)
//
// With code 1 the calibration takes the point measured at the picture's lower-left target as the
// panel's upper-left corner, which is where a quarter turn clockwise has put it; likewise for 2 and 3.
#pragma once

#include <Qt>
#include <cstdint>

class QScreen;

namespace qx::companion {

// The code for a screen whose orientation is CURRENT, its natural one NATIVE (neither the
// primary orientation: resolve that first).
std::int16_t RotationCodeFor(Qt::ScreenOrientation native, Qt::ScreenOrientation current);

// The code for SCREEN as the window system reports it now.
std::int16_t ScreenRotationCode(const QScreen& screen);

}  // namespace qx::companion
