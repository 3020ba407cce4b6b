#include "device/touchscreen_identity.h"

#include <cstdio>

namespace qx {

std::string TouchscreenIdentity::IdText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
  return text;
}

std::string TouchscreenIdentity::Text() const {
  return name + " (" + IdText() + (phys.empty() ? "" : ", " + phys) + ")";
}

}  // namespace qx
