#include "companion/rotation_code.h"

#include <QGuiApplication>
#include <QScreen>

#include "companion/output_transform.h"
#include "core/picture_turn.h"

namespace qx::companion {

namespace {

// The screen turned QUARTERS clockwise shows its picture turned the other way on the panel.
std::int16_t CodeForScreenTurn(int quarters) { return RotationCodeOfTurns(-quarters); }

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
  return CodeForScreenTurn(QuarterTurns(current) - QuarterTurns(native));
}

std::int16_t RotationCodeForTransform(int transform) {
  // The transform undoes the screen's turn: a screen turned a quarter clockwise (Qt's portrait,
  // xrandr's "left", sway's "transform 270") has WL_OUTPUT_TRANSFORM_90. A mirrored one (4..7)
  // turns as its unmirrored one; the mirror is beyond what a code says.
  return CodeForScreenTurn(transform & 3);
}

std::int16_t ScreenRotationCode(const QScreen& screen) {
  const QString platform = QGuiApplication::platformName();
  const Qt::ScreenOrientation current = Resolved(screen, screen.orientation());
  // Qt's X11 orientation is RandR's rotation itself: landscape for none, whatever the mode's shape.
  if (platform == QLatin1String("xcb")) return RotationCodeFor(Qt::LandscapeOrientation, current);
  if (platform == QLatin1String("wayland")) {
    if (const std::optional<int> transform = WaylandOutputTransform(screen.name().toStdString()))
      return RotationCodeForTransform(*transform);
    return RotationCodeFor(Qt::LandscapeOrientation, current);  // a monitor of the common shape
  }
  return RotationCodeFor(Resolved(screen, screen.nativeOrientation()), current);
}

}  // namespace qx::companion
