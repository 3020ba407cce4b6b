#include "platform/ini_file.h"

#include <cstring>

#include "host/profile_file.h"

namespace qx {

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key) {
  char buffer[255];
  DWORD count = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, path.c_str());
  if (count == 0) return "";
  std::string value(buffer, strnlen(buffer, sizeof buffer));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

bool AddIniEntry(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value) {
  return AddProfileEntry(path, section, key, value);
}

}  // namespace qx
