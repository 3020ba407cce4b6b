#include "tools/qxreg/key_names.h"

#include <strings.h>

#include <utility>
#include <vector>

namespace qx::reg {

namespace {

struct Root {
  HKEY key;
  const char* name;
  const char* shortName;
};

constexpr Root kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
};

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find('\\', start);
    names.push_back(path.substr(start, end - start));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
}

}  // namespace

std::optional<KeyName> ParseKeyName(const std::string& text) {
  const std::size_t slash = text.find('\\');
  const std::string rootText = text.substr(0, slash);
  KeyName key;
  for (const Root& root : kRoots)
    if (!strcasecmp(rootText.c_str(), root.name) || !strcasecmp(rootText.c_str(), root.shortName)) key.root = root.key;
  if (key.root == 0) return std::nullopt;
  if (slash == std::string::npos) return key;
  key.path = text.substr(slash + 1);
  for (const std::string& name : Split(key.path))
    if (name.empty()) return std::nullopt;
  return key;
}

std::string RootName(HKEY root) {
  for (const Root& r : kRoots)
    if (r.key == root) return r.name;
  return "";
}

std::string FullName(const KeyName& key) {
  return key.path.empty() ? RootName(key.root) : RootName(key.root) + "\\" + key.path;
}

namespace {

// The subkey of PARENT named NAME without regard to case, opened into CHILD, its stored name in
// STORED.
LONG OpenStoredChild(HKEY parent, const std::string& name, HKEY& child, std::string& stored) {
  char text[MAX_KEY_NAME + 1];
  LONG rc = ERROR_SUCCESS;
  for (DWORD i = 0; (rc = RegEnumKeyA(parent, i, text, sizeof text)) == ERROR_SUCCESS; ++i) {
    if (!strcasecmp(text, name.c_str())) {
      stored = text;
      return RegOpenKeyA(parent, text, &child);
    }
  }
  return rc == ERROR_NO_MORE_ITEMS ? ERROR_FILE_NOT_FOUND : rc;
}

}  // namespace

LONG StoredCase(const KeyName& key, KeyName& stored) {
  KeyName result{key.root, ""};
  HKEY parent = key.root;
  LONG rc = ERROR_SUCCESS;
  for (const std::string& name : key.path.empty() ? std::vector<std::string>{} : Split(key.path)) {
    // The parent's list of subkeys holds the name as it is stored.
    HKEY next = 0;
    std::string child;
    rc = OpenStoredChild(parent, name, next, child);
    if (rc != ERROR_SUCCESS) break;
    if (parent != key.root) RegCloseKey(parent);
    parent = next;
    result.path += (result.path.empty() ? "" : "\\") + child;
  }
  if (parent != key.root) RegCloseKey(parent);
  if (rc == ERROR_SUCCESS) stored = std::move(result);
  return rc;
}

LONG EnumValueName(HKEY key, DWORD index, std::string& name) {
  std::vector<char> buffer(256);
  for (;;) {
    auto size = static_cast<DWORD>(buffer.size());
    LONG rc = RegEnumValueA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA && buffer.size() < (1u << 24)) {
      buffer.resize(buffer.size() * 4);
      continue;
    }
    if (rc == ERROR_SUCCESS) name.assign(buffer.data(), size);
    return rc;
  }
}

}  // namespace qx::reg
