#include "companion/monitor_registration.h"

#include <QScreen>
#include <algorithm>
#include <cstdio>

#include "companion/rotation_code.h"
#include "core/driver_link.h"
#include "host/device_file.h"

namespace qx::companion {

namespace {

template <std::size_t N>
void Put(char (&to)[N], const QString& text) {
  std::snprintf(to, N, "%s", text.toUtf8().constData());
}

MonitorInfo InfoOf(const QScreen& screen, bool primary) {
  MonitorInfo m{};
  Put(m.Name, screen.name());
  Put(m.Maker, screen.manufacturer());
  Put(m.Model, screen.model());
  Put(m.Serial, screen.serialNumber());
  const QRect g = screen.geometry();
  m.X = g.x(), m.Y = g.y(), m.Width = g.width(), m.Height = g.height();
  const QSizeF mm = screen.physicalSize();
  m.WidthMm = static_cast<std::int16_t>(std::clamp(mm.width(), 0.0, 32767.0));
  m.HeightMm = static_cast<std::int16_t>(std::clamp(mm.height(), 0.0, 32767.0));
  m.RotationCode = ScreenRotationCode(screen);
  m.Primary = primary ? 1 : 0;
  return m;
}

}  // namespace

MonitorLayout LayoutOf(const QList<QScreen*>& screens, const QScreen* primary) {
  MonitorLayout layout{};
  layout.Chosen = -1;
  for (const QScreen* screen : screens) {
    if (layout.Count == kMonitors) break;
    layout.Monitors[layout.Count++] = InfoOf(*screen, screen == primary);
  }
  return layout;
}

bool RegisterMonitors(MonitorLayout& layout) {
  DWORD returned = 0;
  return DeviceIoControl(DriverHandle, IOCTL_SET_MONITORS, &layout, sizeof layout, &layout, sizeof layout, &returned,
                         nullptr) &&
         returned == sizeof layout;
}

}  // namespace qx::companion
