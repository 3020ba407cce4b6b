#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/touchscreen_monitor.h"
#include "host/desktop.h"

namespace qx {

namespace {

bool OnWaylandPlatform() { return QGuiApplication::platformName() == QLatin1String("wayland"); }

}  // namespace

QScreen* WindowScreen() {
  const std::optional<TouchscreenMonitor> monitor = TouchscreenMonitorNow();
  if (!monitor) return QGuiApplication::primaryScreen();
  const QRect place(monitor->x, monitor->y, monitor->width, monitor->height);
  QScreen* byPlace = nullptr;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->name().toStdString() == monitor->name) return screen;
    if (screen->geometry() == place && !byPlace) byPlace = screen;
  }
  return byPlace ? byPlace : QGuiApplication::primaryScreen();
}

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
