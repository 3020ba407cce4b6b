#include "device/pointer_mapping.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qx {

double MapAxisExact(double raw, int low, int center, int high, int size) {
  if (size <= 1) return 0;
  double last = size - 1;
  double middle = last / 2.0;
  if (raw <= center) return center > low ? middle * (raw - low) / double(center - low) : middle;
  return high > center ? middle + (last - middle) * (raw - center) / double(high - center) : middle;
}

namespace {

// One axis, rounded and kept on the screen.
int MapAxis(int raw, int low, int center, int high, int size) {
  if (size <= 1) return 0;
  return static_cast<int>(std::lround(std::clamp(MapAxisExact(raw, low, center, high, size), 0.0, size - 1.0)));
}

}  // namespace

ScreenPoint MapRawToScreen(const SettingsBlock& block, int rawX, int rawY) {
  int x = rawX;
  int y = rawY;
  std::uint8_t flags = block.CalibrationFlags;
  if (flags & 4) std::swap(x, y);
  if (flags & 2) y = 1023 - y;
  if (flags & 1) x = 1023 - x;
  const std::int16_t* c = block.CalibrationData;
  return {MapAxis(x, c[XLeft], c[XCenter], c[XRight], block.ScreenWidth),
          MapAxis(y, c[YTop], c[YCenter], c[YBottom], block.ScreenHeight)};
}

namespace {

// The glass's pixel (U, V) under pixel P of a picture turned T quarter turns clockwise on a panel
// W0 × H0 (as it stands upright), and back.
ScreenPoint ToGlass(ScreenPoint p, int t, int w0, int h0) {
  switch (t) {
    case 1: return {w0 - 1 - p.y, p.x};  // the picture's top along the glass's right edge
    case 2: return {w0 - 1 - p.x, h0 - 1 - p.y};
    case 3: return {p.y, h0 - 1 - p.x};  // its top along the glass's left edge
    default: return p;
  }
}

ScreenPoint FromGlass(ScreenPoint g, int t, int w0, int h0) {
  switch (t) {
    case 1: return {g.y, w0 - 1 - g.x};
    case 2: return {w0 - 1 - g.x, h0 - 1 - g.y};
    case 3: return {h0 - 1 - g.y, g.x};
    default: return g;
  }
}

}  // namespace

ScreenPoint TurnPoint(ScreenPoint p, int w, int h, int from, int to) {
  const int t0 = QuarterTurns(from), t1 = QuarterTurns(to);
  // The panel upright: a picture turned an odd number of quarters has its sides exchanged.
  const int w0 = t0 % 2 ? h : w, h0 = t0 % 2 ? w : h;
  return FromGlass(ToGlass(p, t0, w0, h0), t1, w0, h0);
}

ScreenPoint MapRawTurned(const SettingsBlock& block, int calibrated, int now, int rawX, int rawY) {
  if (calibrated < 0 || QuarterTurns(calibrated) == QuarterTurns(now)) return MapRawToScreen(block, rawX, rawY);
  SettingsBlock then = block;
  if ((QuarterTurns(calibrated) - QuarterTurns(now)) % 2) std::swap(then.ScreenWidth, then.ScreenHeight);
  return TurnPoint(MapRawToScreen(then, rawX, rawY), then.ScreenWidth, then.ScreenHeight, calibrated, now);
}

}  // namespace qx
