#include "core/touchscreen_monitor.h"

#include <cstring>

#include "core/driver_records.h"
#include "host/device_file.h"
#include "host/handles.h"

namespace qx {

std::optional<TouchscreenMonitor> TouchscreenMonitorNow() {
  const std::string device = std::string("\\\\.\\") + DRIVER_NAME;
  HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  MonitorLayout layout{};
  DWORD returned = 0;
  const bool ok =
      DeviceIoControl(h, IOCTL_GET_MONITORS, &layout, sizeof layout, &layout, sizeof layout, &returned, nullptr) &&
      returned == sizeof layout;
  CloseHandle(h);
  if (!ok || layout.Chosen < 0 || layout.Chosen >= static_cast<std::int32_t>(kMonitors)) return std::nullopt;
  const MonitorInfo& m = layout.Monitors[layout.Chosen];
  return TouchscreenMonitor{std::string(m.Name, strnlen(m.Name, sizeof m.Name)), m.X, m.Y, m.Width, m.Height};
}

}  // namespace qx
