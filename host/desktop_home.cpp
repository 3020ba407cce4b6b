#include "host/desktop_home.h"

#include "host/desktop.h"

namespace qx {

std::unique_ptr<DoubleClickHome> DesktopDoubleClickHome() {
  if (DesktopNamed("GNOME")) return GnomeDoubleClickHome();
  if (DesktopNamed("KDE")) return KdeDoubleClickHome();
  return nullptr;
}

}  // namespace qx
