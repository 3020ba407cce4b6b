#include "tests/support/installation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/paths.h"
#include "tests/support/temp_root.h"

namespace qx::test {

namespace {

HKEY OpenSuite() {
  std::string sub = SUITE_SUB_KEY;
  HKEY key = 0;
  EXPECT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, sub, key));
  return key;
}

}  // namespace

void WriteInstallation(const std::string& leaveOut) {
  const std::pair<const char*, std::string> values[] = {
      {"VenderName", "Harlenby"},
      {"VenderStyle", ""},
      {"InstallPath", kInstallPath},
      {"WindowsPath", "C:\\WINDOWS"},
      {"SystemPath", "C:\\WINDOWS\\SYSTEM"},
      {"HardwareID", "SERENUM\\QXC0001"},
  };
  HKEY key = OpenSuite();
  for (const auto& [name, text] : values)
    if (leaveOut != name) SetString(key, name, text);
  CloseKey(key);
  std::filesystem::create_directories(HostPath(kInstallPath));
}

std::string StoredValue(const std::string& name) {
  HKEY key = OpenSuite();
  DWORD type = 0, size = 0;
  std::string result;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (type == REG_DWORD && size == 4) {
      std::int32_t v = 0;
      std::memcpy(&v, data.data(), 4);
      result = "4:" + std::to_string(v);
    } else {
      result = std::to_string(type) + ":" + data.substr(0, data.find('\0'));
    }
  }
  CloseKey(key);
  return result;
}

void WriteDword(const std::string& name, std::int32_t value) {
  HKEY key = OpenSuite();
  SetDword(key, name, value);
  CloseKey(key);
}

void WriteString(const std::string& name, const std::string& text) {
  HKEY key = OpenSuite();
  SetString(key, name, text);
  CloseKey(key);
}

void DeleteValue(const std::string& name) {
  HKEY key = OpenSuite();
  RegDeleteValueA(key, name.c_str());
  CloseKey(key);
}

void WriteInstallFile(const std::string& name, const std::string& content) {
  WriteFile(HostPath(std::string(kInstallPath) + "\\" + name), content);
}

}  // namespace qx::test
