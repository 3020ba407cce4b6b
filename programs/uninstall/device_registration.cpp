#include "programs/uninstall/device_registration.h"

#include <cstdio>
#include <vector>

#include "core/registry_access.h"
#include "host/profile_text.h"
#include "ui/boxes.h"

namespace qx {

namespace {

constexpr int kLastInstance = 9999;  // four digits

// Whether DRIVER names one device of the mouse class ("Mouse\0002"), the class the installer
// registers the suite in. Anything else ("Mouse", "", "..") would name a whole class or nothing,
// and another class ("Keyboard\0000") another device: such a key is left alone.
bool NamesOneMouse(const std::string& driver) {
  const std::size_t slash = driver.find('\\');
  if (slash == std::string::npos || !profile::SameName(driver.substr(0, slash), "Mouse") || slash + 1 == driver.size())
    return false;
  const std::string device = driver.substr(slash + 1);
  return device.find('\\') == std::string::npos && device != "." && device != "..";
}

// The keys to delete for the instance KEY_PATH: itself and its class key, when it is the suite's.
std::vector<std::string> SuiteKeys(HKEY instance, const std::string& keyPath) {
  std::string mfg, section, driver;
  if (!QueryString(instance, "Mfg", mfg) || !profile::SameName(mfg, "TouchScreen")) return {};
  if (!QueryString(instance, "InfSection", section) || !profile::SameName(section, "QxCOM")) return {};
  std::vector<std::string> keys{keyPath};
  if (QueryString(instance, "Driver", driver) && NamesOneMouse(driver))
    keys.push_back(std::string(CLASS_KEY) + "\\" + driver);
  return keys;
}

}  // namespace

void RemoveDeviceRegistration(const std::string& title) {
  for (int n = 0; n <= kLastInstance; ++n) {
    char number[16];
    std::snprintf(number, sizeof number, "%04d", n);
    const std::string keyPath = std::string(ENUM_MOUSE_KEY) + "\\" + number;
    HKEY instance = 0;
    if (!OpenKey(HKEY_LOCAL_MACHINE, keyPath, instance)) return;
    const std::vector<std::string> marked = SuiteKeys(instance, keyPath);
    CloseKey(instance);
    // A deleted instance leaves a gap that a later walk stops at; this walk counts on past it.
    for (const std::string& path : marked)
      if (!DeleteKey(HKEY_LOCAL_MACHINE, path)) OkBox("RegDeleteKey fail! [" + path + "]", title);
  }
}

}  // namespace qx
