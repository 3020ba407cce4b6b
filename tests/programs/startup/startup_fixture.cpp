#include "tests/programs/startup/startup_fixture.h"

#include <filesystem>

#include "core/registry_access.h"
#include "host/desktop.h"
#include "host/machine_root.h"
#include "tests/support/installation.h"
#include "tests/support/temp_root.h"

namespace qx::test {

std::string MouseValue(const std::string& name) {
  HKEY key = 0;
  if (!OpenKey(HKEY_CURRENT_USER, "Control Panel\\Mouse", key)) return "";
  DWORD type = 0;
  DWORD size = 0;
  std::string result;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    result = std::to_string(type) + ":" + data.substr(0, data.find('\0'));
  }
  CloseKey(key);
  return result;
}

std::string DesktopValues() {
  return std::to_string(GetDoubleClickTime()) + "/" + std::to_string(GetSystemMetrics(SM_CXDOUBLECLK)) + "/" +
         std::to_string(GetSystemMetrics(SM_CYDOUBLECLK));
}

std::string SuiteValues() {
  return StoredValue("DoubleClickSpeed") + "/" + StoredValue("DoubleClickWidth") + "/" +
         StoredValue("DoubleClickHeight");
}

std::string MouseValues() {
  return MouseValue("DoubleClickSpeed") + "/" + MouseValue("DoubleClickWidth") + "/" + MouseValue("DoubleClickHeight");
}

void FailCalls(const std::string& names) {
  std::filesystem::create_directories(MachineRoot() + "/run");
  WriteFile(MachineRoot() + "/run/failing-calls", names);
}

}  // namespace qx::test
