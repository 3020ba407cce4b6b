#include "programs/panel/calibration_targets.h"

#include <cmath>

namespace qx {

TargetEdges EdgesOf(int scaleWidth, int scaleHeight) {
  TargetEdges e;
  e.R = scaleWidth - 1;
  e.B = scaleHeight - 1;
  // nearbyint rounds halves to the even neighbour in the default rounding mode.
  e.CX = static_cast<int>(std::nearbyint(scaleWidth / 2.0 - 1));
  e.CY = static_cast<int>(std::nearbyint(scaleHeight / 2.0 - 1));
  return e;
}

std::optional<TargetShape> ShapeOf(int index, const TargetEdges& e) {
  const int d = e.d;
  // The spans of a box along one axis: at the low edge, at the high edge, around the centre.
  struct Span {
    int from, to, cross;
  };
  const Span left{e.L, e.L + 2 * d - 1, e.L + d - 1};
  const Span right{e.R - 2 * d - 1, e.R, e.R - d - 1};
  const Span top{e.T, e.T + 2 * d - 1, e.T + d - 1};
  const Span bottom{e.B - 2 * d - 1, e.B, e.B - d - 1};
  const Span middleX{e.CX - d - 1, e.CX + d - 1, e.CX};
  const Span middleY{e.CY - d - 1, e.CY + d - 1, e.CY};
  auto shape = [](const Span& x, const Span& y) { return TargetShape{x.from, y.from, x.to, y.to, x.cross, y.cross}; };
  switch (index) {
    case 1: return shape(left, top);
    case 2: return shape(right, top);
    case 3: return shape(right, bottom);
    case 4: return shape(left, bottom);
    case 5: return shape(middleX, top);
    case 6: return shape(right, middleY);
    case 7: return shape(middleX, bottom);
    case 8: return shape(left, middleY);
    default: return std::nullopt;
  }
}

}  // namespace qx
