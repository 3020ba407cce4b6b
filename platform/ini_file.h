// The installer's and uninstaller's access to INI files, over the profile calls.
#pragma once

#include <string>

namespace qx {

// The value of KEY in SECTION of the file at PATH, read into a buffer of 255 characters: cut at
// its first zero and without trailing spaces; "" when the file, the section or the key is missing.
std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key);

// Writes KEY = VALUE into SECTION of the file at PATH; true when the write succeeded.
bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

// Adds the line KEY=VALUE to SECTION of the file at PATH beside the others of that key (once);
// true when the write succeeded.
bool AddIniEntry(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

}  // namespace qx
