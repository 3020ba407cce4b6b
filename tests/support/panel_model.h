// A touch panel laid over a screen, and the crosses of the calibration targets on that screen:
// what a person's finger on a pixel gives the controller, for tests that calibrate as a person
// would.
#pragma once

#include <cmath>
#include <utility>

namespace qx::test {

// The raw value under the middle of each pixel, from RAW_LOW at the left (top) edge to RAW_HIGH at
// the right (bottom) edge, then seen through the wiring: bit 0 reverses X, bit 1 reverses Y, bit 2
// exchanges the wires.
struct PanelModel {
  int width = 0, height = 0, wiring = 0;
  double lowX = 21, highX = 1003, lowY = 34, highY = 989;

  std::pair<int, int> Raw(int px, int py) const {
    int x = static_cast<int>(std::lround(lowX + (px + 0.5) * (highX - lowX) / width));
    int y = static_cast<int>(std::lround(lowY + (py + 0.5) * (highY - lowY) / height));
    if (wiring & 1) x = 1023 - x;
    if (wiring & 2) y = 1023 - y;
    if (wiring & 4) std::swap(x, y);
    return {x, y};
  }
};

// The target crosses as the calibration window draws them on a W x H surface: 15 pixels from
// the left and top edges, R - 17 and B - 17 at the right and bottom, the centres at
// nearest(W / 2 - 1) and nearest(H / 2 - 1).
inline std::pair<int, int> Cross(int target, int w, int h) {
  int left = 15, top = 15, right = w - 1 - 17, bottom = h - 1 - 17;
  int cx = static_cast<int>(std::nearbyint(w / 2.0 - 1)), cy = static_cast<int>(std::nearbyint(h / 2.0 - 1));
  switch (target) {
    case 1: return {left, top};
    case 2: return {right, top};
    case 3: return {right, bottom};
    case 4: return {left, bottom};
    case 5: return {cx, top};
    case 6: return {right, cy};
    case 7: return {cx, bottom};
    default: return {left, cy};
  }
}

}  // namespace qx::test
