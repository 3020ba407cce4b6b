#include "host/desktop_home.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace qx {

std::unique_ptr<DoubleClickHome> DesktopDoubleClickHome() {
  const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
  std::istringstream names(desktops ? desktops : "");
  for (std::string name; std::getline(names, name, ':');) {
    if (name == "GNOME") return GnomeDoubleClickHome();
    if (name == "KDE") return KdeDoubleClickHome();
  }
  return nullptr;
}

}  // namespace qx
