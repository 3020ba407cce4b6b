// RegistryAccess: the one way the suite reads and writes the registry. One operation per
// registry call; each reports success as true/false, never shows a message, and writes its
// out-parameters only on success. The module keeps no state: the caller owns every handle it
// opens and closes it with CloseKey.
#pragma once

#include <cstdint>
#include <string>

#include "host/registry.h"

namespace qx {

// Opens ROOT\KEY_PATH\SUB_KEY, creating what is missing. An empty KEY_PATH fails without a
// registry call. A SUB_KEY that begins with "\" loses that character (in the caller's variable).
bool CreateKey(HKEY root, const std::string& keyPath, std::string& subKey, HKEY& key);
// Opens ROOT\KEY_PATH, which must exist.
bool OpenKey(HKEY root, const std::string& keyPath, HKEY& key);
bool CloseKey(HKEY key);
// Deletes ROOT\KEY_PATH with its subkeys.
bool DeleteKey(HKEY root, const std::string& keyPath);

// True only when NAME is a REG_DWORD of 4 bytes; VALUE is kept otherwise.
bool QueryDword(HKEY key, const std::string& name, std::int32_t& value);
// True only when NAME is a REG_SZ; TEXT is the stored text cut before its first NUL.
bool QueryString(HKEY key, const std::string& name, std::string& text);

bool SetDword(HKEY key, const std::string& name, std::int32_t value);
// Writes TEXT and its terminating NUL as a REG_SZ; a handle of 0 fails without a registry call.
bool SetString(HKEY key, const std::string& name, const std::string& text);
// Writes the bytes of HEX_TEXT ("12 AB 00": two hex digits and one separator per byte, the last
// separator optional) as a REG_BINARY.
bool SetBinary(HKEY key, const std::string& name, const std::string& hexText);

}  // namespace qx
