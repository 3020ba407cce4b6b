#include "tools/unins000/package_list.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "host/paths.h"
#include "host/registry.h"
#include "tools/qxreg/key_names.h"

namespace qx::unins {

namespace {

std::optional<Kind> KindNamed(const std::string& word) {
  if (word == "file") return Kind::File;
  if (word == "key") return Kind::Key;
  if (word == "emptykey") return Kind::EmptyKey;
  if (word == "folder") return Kind::Folder;
  return std::nullopt;
}

bool Say(const std::string& what, const std::string& path, const char* why) {
  std::fprintf(stderr, "unins000: %s %s: %s\n", what.c_str(), path.c_str(), why);
  return false;
}

// A file, never a folder; one already gone counts as removed.
bool RemoveFile(const std::string& file) {
  if (::unlink(file.c_str()) == 0 || errno == ENOENT) return true;
  return Say("cannot remove", file, std::strerror(errno));
}

bool IsEmptyKey(HKEY root, const std::string& path) {
  HKEY key = 0;
  if (RegOpenKeyA(root, path.c_str(), &key) != ERROR_SUCCESS) return false;
  char name[256];
  DWORD size = sizeof name;
  const bool empty = RegEnumKeyA(key, 0, name, sizeof name) != ERROR_SUCCESS &&
                     RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
  RegCloseKey(key);
  return empty;
}

bool RemoveKey(const Entry& entry) {
  const std::optional<reg::KeyName> name = reg::ParseKeyName(entry.path);
  if (!name || name->path.empty()) return Say("not a key below a root:", entry.path, "skipped");
  if (entry.kind == Kind::EmptyKey && !IsEmptyKey(name->root, name->path)) return true;  // shared, or gone
  const LONG result = RegDeleteKeyA(name->root, name->path.c_str());
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return true;
  return Say("cannot delete key", entry.path, ("error " + std::to_string(result)).c_str());
}

// Only an empty folder goes; one that holds what a person put there stays, and that is no failure.
bool RemoveFolder(const std::string& folder) {
  if (::rmdir(folder.c_str()) == 0 || errno == ENOENT || errno == ENOTEMPTY || errno == EEXIST) return true;
  return Say("cannot remove folder", folder, std::strerror(errno));
}

}  // namespace

std::optional<std::vector<Entry>> ParseList(const std::string& text, std::string& error) {
  std::vector<Entry> entries;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::optional<Kind> kind = KindNamed(line.substr(0, tab));
    if (!kind || tab == std::string::npos || tab + 1 == line.size()) {
      error = "line " + std::to_string(number) + ": not KIND<tab>PATH with KIND file, key, emptykey or folder";
      return std::nullopt;
    }
    entries.push_back({*kind, line.substr(tab + 1)});
  }
  return entries;
}

bool RemoveInstalled(const std::vector<Entry>& entries, const std::vector<std::string>& self) {
  bool ok = true;
  for (const Entry& e : entries)
    if (e.kind == Kind::File) ok = RemoveFile(HostPath(e.path)) && ok;
  for (const Entry& e : entries)
    if (e.kind == Kind::Key || e.kind == Kind::EmptyKey) ok = RemoveKey(e) && ok;
  for (const std::string& file : self) ok = RemoveFile(file) && ok;
  for (const Entry& e : entries)
    if (e.kind == Kind::Folder) ok = RemoveFolder(HostPath(e.path)) && ok;
  return ok;
}

}  // namespace qx::unins
