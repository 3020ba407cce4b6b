// Key names as people and REGEDIT4 files write them: a root ("HKEY_LOCAL_MACHINE" or "HKLM",
// likewise HKCU, HKCR, HKU), then "\" and the path below it.
#pragma once

#include <optional>
#include <string>

#include "host/registry.h"

namespace qx::reg {

struct KeyName {
  HKEY root = 0;
  std::string path;  // "" for the root itself; never an empty name between backslashes
};

// Parses TEXT; nullopt for an unknown root or an empty name in the path.
std::optional<KeyName> ParseKeyName(const std::string& text);

// "HKEY_LOCAL_MACHINE" and the like.
std::string RootName(HKEY root);

// The full name "ROOT\path" of KEY.
std::string FullName(const KeyName& key);

// KEY's path with every name in the case it is stored with: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND
// when the key does not exist, or the registry's error (a database that cannot be opened).
LONG StoredCase(const KeyName& key, KeyName& stored);

// The INDEX-th value name of KEY, however long (RegEnumValueA with a buffer grown as needed).
LONG EnumValueName(HKEY key, DWORD index, std::string& name);

}  // namespace qx::reg
