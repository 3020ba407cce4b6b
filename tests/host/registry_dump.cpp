#include "tests/host/registry_dump.h"

namespace qx::test {

namespace {

void DumpKey(HKEY key, const std::string& name, std::map<std::string, std::vector<DumpedValue>>& out) {
  out[name] = DumpValues(key);
  char child[MAX_KEY_NAME + 1];
  for (DWORD i = 0; RegEnumKeyA(key, i, child, sizeof child) == ERROR_SUCCESS; ++i) {
    HKEY sub = 0;
    if (RegOpenKeyA(key, child, &sub) != ERROR_SUCCESS) continue;
    DumpKey(sub, name + "\\" + child, out);
    RegCloseKey(sub);
  }
}

}  // namespace

std::vector<DumpedValue> DumpValues(HKEY key) {
  std::vector<DumpedValue> values;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD nameSize = sizeof name;
    DumpedValue v;
    DWORD size = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) break;
    v.name.assign(name, nameSize);
    v.data.resize(size);
    if (RegEnumValueA(key, i, name, &(nameSize = sizeof name), nullptr, &v.type, v.data.data(), &size) != ERROR_SUCCESS)
      break;
    values.push_back(std::move(v));
  }
  return values;
}

std::map<std::string, std::vector<DumpedValue>> DumpRegistry() {
  std::map<std::string, std::vector<DumpedValue>> out;
  DumpKey(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", out);
  DumpKey(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", out);
  DumpKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", out);
  DumpKey(HKEY_USERS, "HKEY_USERS", out);
  return out;
}

}  // namespace qx::test
