#include "programs/setup/device_registration.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "platform/ini_file.h"
#include "programs/setup/setup_program.h"

namespace qx {

namespace {

using Entries = std::vector<std::pair<const char*, std::string>>;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Creates PARENT\INSTANCE and writes ENTRIES as texts into it, stopping at the first failure.
bool WriteInstanceKey(const char* parent, std::string instance, const Entries& entries) {
  HKEY key = 0;
  if (!CreateKey(HKEY_LOCAL_MACHINE, parent, instance, key)) return false;
  bool ok = true;
  for (const auto& [name, value] : entries)
    if (!(ok = SetString(key, name, value))) break;
  CloseKey(key);
  return ok;
}

}  // namespace

std::string DeviceDescription() { return std::string("TouchScreen - Serial Mouse Driver V.") + kSetupProgram.version; }

std::string FreeInstance(HKEY root, const std::string& parent) {
  for (int n = 0; n <= 9999; ++n) {
    char instance[5];
    std::snprintf(instance, sizeof instance, "%04d", n);
    HKEY key = 0;
    if (!OpenKey(root, parent + "\\" + instance, key)) return instance;
    CloseKey(key);
  }
  return "";
}

bool RegisterDevice() {
  const std::string description = DeviceDescription();
  const std::string inf = WindowsPath + "\\inf\\QXWMECOM.INF";
  if (!WriteIniString(inf, "Strings", "OEM_NAME", Quoted("TouchScreen")) ||
      !WriteIniString(inf, "Strings", "OEM_CALL", Quoted(description)) ||
      !WriteIniString(inf, "Strings", "InstallPath", InstallPath))
    return false;

  const std::string classInstance = FreeInstance(HKEY_LOCAL_MACHINE, kMouseClassPath);
  const std::string enumInstance = FreeInstance(HKEY_LOCAL_MACHINE, kMouseEnumPath);
  if (classInstance.empty() || enumInstance.empty()) return false;

  return WriteInstanceKey(kMouseClassPath, classInstance,
                          {{"DevLoader", "*vmouse"},
                           {"DriverDesc", Quoted(description)},
                           {"InfPath", "QXWMECOM.INF"},
                           {"InfSection", "QxCOM"},
                           {"MouseType", "Serial"},
                           {"NoSetupUI", "4"},
                           {"MouseDriver", "QXWMECOM.VXD"}}) &&
         WriteInstanceKey(kMouseEnumPath, enumInstance,
                          {{"InfName", "QXWMECOM.INF"},
                           {"InfSection", "QxCOM"},
                           {"DeviceDesc", description},
                           {"Class", "Mouse"},
                           {"HardwareID", "MOUSE"},
                           {"Driver", std::string("Mouse\\") + classInstance},
                           {"Mfg", "TouchScreen"}});
}

}  // namespace qx
