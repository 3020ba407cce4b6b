// Where the calibration window draws its eight targets: the edges of its drawing surface and, for
// each target, a box and the cross inside it, in the surface's pixels.
#pragma once

#include <optional>

namespace qx {

// The surface's edges, recomputed at every resize: left, top, right (width - 1), bottom
// (height - 1), the distance d of the targets from the edges, and the centre
// CX = nearest(width / 2 - 1), CY = nearest(height / 2 - 1) with halves to the even neighbour.
struct TargetEdges {
  int L = 0, T = 0, R = 0, B = 0;
  int d = 16;
  int CX = 0, CY = 0;
};

TargetEdges EdgesOf(int scaleWidth, int scaleHeight);

// A target: its box from (left, top) to (right, bottom) inclusive, the vertical line of its
// cross at x = crossX and the horizontal one at y = crossY, each spanning the box.
struct TargetShape {
  int left = 0, top = 0, right = 0, bottom = 0;
  int crossX = 0, crossY = 0;
};

// Targets 1..8 (TOP-LEFT, TOP-RIGHT, DOWN-RIGHT, DOWN-LEFT, TOP, RIGHT, DOWN, LEFT); nothing for
// any other index. Targets at the left or top are 32-pixel boxes with the cross 15 pixels in;
// at the right or bottom 34-pixel boxes with the cross 17 pixels in.
std::optional<TargetShape> ShapeOf(int index, const TargetEdges& e);

}  // namespace qx
