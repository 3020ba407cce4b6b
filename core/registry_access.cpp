#include "core/registry_access.h"

#include <vector>

namespace qx {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// PAIR read as "&H" + PAIR: hex digits from the start, the first other character ends the number.
BYTE HexPair(const std::string& pair) {
  int value = 0;
  for (char c : pair) {
    int digit = HexDigit(c);
    if (digit < 0) break;
    value = value * 16 + digit;
  }
  return static_cast<BYTE>(value);
}

// One byte per three characters: n = whole part of (length / 3 + 0.9), in whole numbers.
std::vector<BYTE> HexTextBytes(const std::string& text) {
  const std::size_t n = (text.size() * 10 + 27) / 30;
  std::vector<BYTE> bytes(n);
  for (std::size_t k = 0, i = 0; i < text.size() && k < n; ++k, i += 3) bytes[k] = HexPair(text.substr(i, 2));
  return bytes;
}

}  // namespace

bool CreateKey(HKEY root, const std::string& keyPath, std::string& subKey, HKEY& key) {
  if (keyPath.empty()) return false;
  if (!subKey.empty() && subKey.front() == '\\') subKey.erase(0, 1);
  const std::string fullPath = subKey.empty() ? keyPath : keyPath + "\\" + subKey;
  HKEY opened = 0;
  if (RegCreateKeyA(root, fullPath.c_str(), &opened) != ERROR_SUCCESS) return false;
  key = opened;
  return true;
}

bool OpenKey(HKEY root, const std::string& keyPath, HKEY& key) {
  HKEY opened = 0;
  if (RegOpenKeyA(root, keyPath.c_str(), &opened) != ERROR_SUCCESS) return false;
  key = opened;
  return true;
}

bool CloseKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }

bool DeleteKey(HKEY root, const std::string& keyPath) { return RegDeleteKeyA(root, keyPath.c_str()) == ERROR_SUCCESS; }

bool QueryDword(HKEY key, const std::string& name, std::int32_t& value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    return false;
  // A REG_DWORD shorter than 4 bytes would leave part of the integer unread: not a number.
  if (type != REG_DWORD || size != sizeof data) return false;
  value = static_cast<std::int32_t>(data);
  return true;
}

bool QueryString(HKEY key, const std::string& name, std::string& text) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return false;
  std::string buffer(size, ' ');
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  buffer.resize(size);
  text = buffer.substr(0, buffer.find('\0'));
  return true;
}

bool SetDword(HKEY key, const std::string& name, std::int32_t value) {
  const auto data = static_cast<DWORD>(value);
  return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

bool SetString(HKEY key, const std::string& name, const std::string& text) {
  if (key == 0) return false;
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool SetBinary(HKEY key, const std::string& name, const std::string& hexText) {
  const std::vector<BYTE> bytes = HexTextBytes(hexText);
  return RegSetValueExA(key, name.c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) ==
         ERROR_SUCCESS;
}

}  // namespace qx
