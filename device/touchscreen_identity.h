// What a touchscreen is known by across unplugging and restarts, as the root remembers it.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

// Its name, vendor and product, and where it hangs on the machine (phys: a port path, or empty).
struct TouchscreenIdentity {
  std::string name;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::string phys;

  bool empty() const { return name.empty() && vendor == 0 && product == 0 && phys.empty(); }
  // "Name (vvvv:pppp, phys)".
  std::string Text() const;
  // The name in TEXT, an identity's Text(): what comes before its last " (".
  static std::string NameInText(const std::string& text);
  // "vvvv:pppp" as in the root's input setting.
  std::string IdText() const;
};

}  // namespace qx
