// The person's desktop's own home for its double-click time, where it keeps one: the desktop
// stand-in (host/desktop.h) reads the time there and writes it there as well as in the machine
// root, so that the suite and the person's desktop share one value.
//
// The desktop is the first name of XDG_CURRENT_DESKTOP (a list separated by ':') the suite knows:
// "GNOME" (also "ubuntu:GNOME", "Budgie:GNOME") keeps it in GSettings, key double-click of
// org.gnome.desktop.peripherals.mouse, when that schema is installed (desktop_gnome.cpp); "KDE"
// keeps it in DoubleClickInterval of group [KDE] in kdeglobals under $XDG_CONFIG_HOME
// (desktop_kde.cpp). Any other desktop keeps none the suite knows, and the root's value is the
// desktop's. The double-click rectangle has no desktop-wide home on Linux: it stays in the root.
#pragma once

#include <memory>
#include <optional>

namespace qx {

class DoubleClickHome {
 public:
  virtual ~DoubleClickHome() = default;
  // The desktop's double-click time in milliseconds; nothing when it cannot be read.
  virtual std::optional<unsigned> Read() const = 0;
  // Sets it; false when the desktop does not take it.
  virtual bool Write(unsigned milliseconds) const = 0;
};

// The home of the desktop the person runs; null when it keeps none the suite knows.
std::unique_ptr<DoubleClickHome> DesktopDoubleClickHome();

// Each desktop's home; null when it is not there to use.
std::unique_ptr<DoubleClickHome> GnomeDoubleClickHome();
std::unique_ptr<DoubleClickHome> KdeDoubleClickHome();

}  // namespace qx
