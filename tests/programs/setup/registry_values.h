// A registry value of the current root as the installer's tests compare it: its type and bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/registry_access.h"

namespace qx::test {

using StoredValue = std::optional<std::pair<DWORD, std::vector<BYTE>>>;

// The value NAME of HKEY_LOCAL_MACHINE\PATH; nothing when it or its key is missing.
inline StoredValue RegistryValue(const std::string& path, const std::string& name) {
  HKEY key = 0;
  if (!OpenKey(HKEY_LOCAL_MACHINE, path, key)) return std::nullopt;
  DWORD type = 0;
  std::vector<BYTE> data(256);
  DWORD size = static_cast<DWORD>(data.size());
  const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  CloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return std::make_pair(type, data);
}

inline StoredValue SuiteValue(const std::string& name) {
  return RegistryValue("SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", name);
}

inline StoredValue Binary(std::vector<BYTE> bytes) { return std::make_pair(REG_BINARY, std::move(bytes)); }
inline StoredValue Dword(std::uint32_t n) {
  return std::make_pair(REG_DWORD, std::vector<BYTE>{BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)});
}
// A text as the registry keeps it, with its terminating zero.
inline StoredValue Text(const std::string& text) {
  std::vector<BYTE> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return std::make_pair(REG_SZ, bytes);
}

}  // namespace qx::test
