// An installation of the suite in the current machine root, as a test needs one: the installation
// record and the suite's other values in the registry, and files in the install folder.
#pragma once

#include <cstdint>
#include <string>

namespace qx::test {

inline constexpr char kInstallPath[] = "C:\\Program Files\\QX-COM";

// Writes the six values of the installation record (all of them unless one is left out) and makes
// the install folder.
void WriteInstallation(const std::string& leaveOut = "");
// The suite's key as a REGEDIT-style dump of one value: "type:data" ("4:0", "1:text"), "" when missing.
std::string StoredValue(const std::string& name);
void WriteDword(const std::string& name, std::int32_t value);
void WriteString(const std::string& name, const std::string& text);
void DeleteValue(const std::string& name);
// A file in the install folder.
void WriteInstallFile(const std::string& name, const std::string& content);

}  // namespace qx::test
