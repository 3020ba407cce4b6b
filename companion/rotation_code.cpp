#include "companion/rotation_code.h"

#include <QScreen>

namespace qx::companion {

namespace {

// Quarter turns clockwise from landscape, as Qt describes its orientations: portrait is landscape
// turned a quarter clockwise, the inverted ones a half turn from their own.
int QuarterTurns(Qt::ScreenOrientation orientation) {
  switch (orientation) {
    case Qt::PortraitOrientation: return 1;
    case Qt::InvertedLandscapeOrientation: return 2;
    case Qt::InvertedPortraitOrientation: return 3;
    default: return 0;
  }
}

Qt::ScreenOrientation Resolved(const QScreen& screen, Qt::ScreenOrientation orientation) {
  return orientation == Qt::PrimaryOrientation ? screen.primaryOrientation() : orientation;
}

}  // namespace

std::int16_t RotationCodeFor(Qt::ScreenOrientation native, Qt::ScreenOrientation current) {
  // The screen turned clockwise shows its picture turned the other way on the panel.
  constexpr std::int16_t kCodeForScreenTurn[4] = {0, 2, 3, 1};
  return kCodeForScreenTurn[(QuarterTurns(current) - QuarterTurns(native) + 4) % 4];
}

std::int16_t ScreenRotationCode(const QScreen& screen) {
  return RotationCodeFor(Resolved(screen, screen.nativeOrientation()), Resolved(screen, screen.orientation()));
}

}  // namespace qx::companion
