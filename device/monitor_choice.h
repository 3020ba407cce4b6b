// Which of the desktop's monitors a touchscreen belongs to, and where that monitor lies: what the
// root remembers (`qxctl map-to-output`), else the way desktops choose: a touchscreen built into
// the machine goes to the built-in panel (eDP, LVDS, DSI); else the monitor whose EDID names the
// touchscreen's maker; else the monitor whose physical size is the touchscreen's (within 10 %);
// else the primary one; else the first.
#pragma once

#include <string>

#include "core/driver_records.h"
#include "device/input_setting.h"
#include "device/screen_placement.h"
#include "device/touch_input.h"

namespace qx {

// The monitor of LAYOUT (with Count monitors) the touchscreen PANEL belongs to under REMEMBERED;
// -1 when LAYOUT has none. WHY says which rule chose it.
int ChooseMonitor(const MonitorLayout& layout, const MonitorChoice& remembered, const PanelFacts& panel,
                  std::string& why);

// The monitor's rectangle in the desktop, and the desktop's: the smallest that holds every monitor.
ScreenRect MonitorRect(const MonitorInfo& monitor);
ScreenRect DesktopRect(const MonitorLayout& layout);

// A monitor's texts, each cut at its end: "HDMI-1".
std::string Text(const char* field, std::size_t size);
template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return Text(field, N);
}

}  // namespace qx
