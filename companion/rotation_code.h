// The RotationCode the companion registers: how the picture stands on the touch panel, in the
// terms the calibration reorders its four measured points by.
//
//   0  upright: the screen in its natural orientation
//   1  the picture turned a quarter clockwise on the panel: the screen turned a quarter
//      counter-clockwise (Qt's InvertedPortraitOrientation on a landscape screen; xrandr --rotate right;
//      sway's output … transform 90, which the wire calls WL_OUTPUT_TRANSFORM_270)
//   2  the picture turned a quarter counter-clockwise: the screen turned a quarter clockwise
//      (PortraitOrientation; xrandr --rotate left; sway's transform 270, WL_OUTPUT_TRANSFORM_90)
//   3  a half turn (InvertedLandscapeOrientation; xrandr --rotate inverted; transform 180)
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

// The code for a Wayland output's transform as the wire gives it (WL_OUTPUT_TRANSFORM_*: 0 normal,
// 1 90, 2 180, 3 270; 4..7 the same mirrored, coded as unmirrored): 0, 2, 3, 1.
std::int16_t RotationCodeForTransform(int transform);

// The code for SCREEN as the window system turns it now, from the window system's own rotation
// rather than from the turned screen's shape: RandR's on X11 (Qt's orientation there), the
// output's transform on Wayland (asked of the compositor; a monitor whose output cannot be found
// is taken as natively landscape), elsewhere Qt's orientation against the natural one.
std::int16_t ScreenRotationCode(const QScreen& screen);

}  // namespace qx::companion
