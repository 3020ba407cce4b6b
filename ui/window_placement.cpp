#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include "host/desktop.h"

namespace qx {

namespace {

bool OnWaylandPlatform() { return QGuiApplication::platformName() == QLatin1String("wayland"); }

}  // namespace

QScreen* WindowScreen() { return QGuiApplication::primaryScreen(); }

QRect WorkAreaOn(const QScreen* screen) {
  if (!screen) return {};
  RECT area;
  if (screen == QGuiApplication::primaryScreen() && SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
    return QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1));
  return screen->availableGeometry();
}

void PlaceThroughXwayland() {
  const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
  if (!WaylandSession() || qEnvironmentVariableIsEmpty("DISPLAY")) return;
  if (!asked.isEmpty() && !asked.startsWith("wayland")) return;
  qputenv("QT_QPA_PLATFORM", "xcb");
}

Qt::WindowFlags UnmanagedOnXwayland() {
  const bool xwayland = QGuiApplication::platformName() == QLatin1String("xcb") && WaylandSession();
  return xwayland && !GnomeDesktop() ? Qt::X11BypassWindowManagerHint : Qt::WindowFlags();
}

bool WindowsChooseTheirPlace() { return !OnWaylandPlatform(); }

}  // namespace qx
