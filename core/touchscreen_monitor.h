// The monitor the device service puts the touchscreen's touches on (GetMonitors): where the
// suite's full-screen windows and its right button belong, so that a touch lands on what it
// touches on a desktop of several monitors.
#pragma once

#include <optional>
#include <string>

namespace qx {

struct TouchscreenMonitor {
  std::string name;  // as the window system names it: "HDMI-1"
  int x = 0, y = 0, width = 0, height = 0;
};

// Asked on a handle of its own, so the driver link's state stays as it is; nothing when no
// service answers or it knows no monitor yet (no companion registered the desktop's).
std::optional<TouchscreenMonitor> TouchscreenMonitorNow();

}  // namespace qx
