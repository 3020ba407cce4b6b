// Where the touch path's screen lies on the desktop: the touchscreen's monitor and the whole
// desktop, in desktop pixels, as the companion program registers the monitors. The touch path maps
// into the block's ScreenWidth × ScreenHeight, the monitor's size; an output places that screen on
// the desktop (X11: at the monitor's offset; uinput: as a share of the whole desktop, which
// compositors stretch an absolute pointer over). Unknown until the monitors are registered: the
// outputs then take the screen as the whole desktop.
#pragma once

#include <cmath>

namespace qx {

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct ScreenPlacement {
  bool known = false;
  ScreenRect monitor;
  ScreenRect desktop;
  bool operator==(const ScreenPlacement&) const = default;
};

// Pixel V of a screen SIZE pixels wide, on a span of TO pixels: the edges stay the edges.
inline int ScalePixel(int v, int size, int to) {
  if (size <= 1 || size == to) return v;
  return static_cast<int>(std::lround(static_cast<double>(v) * (to - 1) / (size - 1)));
}

}  // namespace qx
