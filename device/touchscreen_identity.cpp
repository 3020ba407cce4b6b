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

// A name may hold " (" ("Panel (I2C)"); the identity's own parenthesis comes after it (a place
// that holds one too leaves a longer name, never a wrong panel).
std::string TouchscreenIdentity::NameInText(const std::string& text) {
  const std::size_t open = text.rfind(" (");
  return open == std::string::npos ? text : text.substr(0, open);
}

}  // namespace qx
