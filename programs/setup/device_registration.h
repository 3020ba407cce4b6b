// The driver "QXWMECOM.VXD" registered as a serial mouse device: the "Strings" of its INF file,
// a class key under System\CurrentControlSet\Services\Class\Mouse and an enumeration key under
// Enum\Root\Mouse, each the lowest free four-digit instance.
#pragma once

#include <string>

#include "host/registry.h"

namespace qx {

inline constexpr char kMouseClassPath[] = "System\\CurrentControlSet\\Services\\Class\\Mouse";
inline constexpr char kMouseEnumPath[] = "Enum\\Root\\Mouse";

// "TouchScreen - Serial Mouse Driver V.7.0.COM": the device's description.
std::string DeviceDescription();

// The lowest instance number "0000", "0001", … whose key does not exist under PARENT (tried by
// opening them in turn); "" when all ten thousand exist.
std::string FreeInstance(HKEY root, const std::string& parent);

// Step 5 of the installation: the INF's three "Strings", then the class key's seven values and
// the enumeration key's seven, in that order; false at the first write that fails or key that
// cannot be made (what was written stays). Uses the loaded installation record.
bool RegisterDevice();

}  // namespace qx
