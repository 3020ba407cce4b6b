// The suite's registration as a serial mouse device (made by the installer), removed.
#pragma once

#include <string>

namespace qx {

// Under HKEY_LOCAL_MACHINE: the mouse instances and the device classes.
inline constexpr char ENUM_MOUSE_KEY[] = "Enum\\Root\\Mouse";
inline constexpr char CLASS_KEY[] = "System\\CurrentControlSet\\Services\\Class";

// Walks the instance keys "0000", "0001", ... under ENUM_MOUSE_KEY until one is missing. An
// instance whose "Mfg" is "TouchScreen" and whose "InfSection" is "QxCOM" (any letter case) is
// deleted, and so is the class key its "Driver" value names under CLASS_KEY when that is one
// device of the Mouse class ("Mouse\0002"; "Keyboard\0000" or "Mouse" alone is left alone).
// Each key that cannot be deleted is reported in an OK box captioned TITLE,
// "RegDeleteKey fail! [path]", and the walk goes on.
void RemoveDeviceRegistration(const std::string& title);

}  // namespace qx
