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

}  // namespace qx
