#include "tools/unins000/package_list.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "core/settings_store.h"
#include "host/machine_root.h"
#include "host/paths.h"
#include "host/profile_text.h"
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

// The names of a key path between its backslashes.
std::vector<std::string> KeyParts(const std::string& path) {
  std::vector<std::string> parts;
  std::istringstream names(path);
  for (std::string name; std::getline(names, name, '\\');) parts.push_back(name);
  return parts;
}

// Whether the key path PARTS begins with the names of PREFIX, without regard to case.
bool Below(const std::vector<std::string>& parts, const std::vector<std::string>& prefix) {
  if (parts.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (!profile::SameName(parts[i], prefix[i])) return false;
  return true;
}

// A key entry names the suite's own key or a key below it; an emptykey entry may also name a
// parent of the suite's key up to the vendor's (shared with another product, removed only empty).
const char* KeyRefusal(const Entry& entry) {
  const std::optional<reg::KeyName> name = reg::ParseKeyName(entry.path);
  if (!name || name->root != HKEY_LOCAL_MACHINE) return "not a key of the suite";
  const std::vector<std::string> parts = KeyParts(name->path);
  const std::vector<std::string> suite = KeyParts(std::string(SUITE_KEY_PATH) + "\\" + SUITE_SUB_KEY);
  if (Below(parts, suite)) return nullptr;
  const bool suiteParent = parts.size() >= 2 && parts.size() < suite.size() && Below(suite, parts);
  return entry.kind == Kind::EmptyKey && suiteParent ? nullptr : "not a key of the suite";
}

// An XDG base folder: the variable when it holds an absolute path, else the default below HOME.
std::string XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + fallback;
}

// Whether the host path PATH is inside one of the root's drives (no "..", no "." in it).
bool InsideTheDrives(const std::string& path) {
  const std::string drives = MachineRoot() + "/drive_";
  if (!path.starts_with(drives) || std::filesystem::path(path).lexically_normal() != path) return false;
  const std::size_t slash = path.find('/', drives.size());
  return slash == drives.size() + 1 && slash + 1 < path.size();
}

// A file or folder entry names something inside the root's drives; a host path outside them
// only the launcher and the autostart entry install-suite --desktop writes.
const char* PathRefusal(const Entry& entry) {
  if (OnTheDrives(entry.path)) {
    return InsideTheDrives(HostPath(entry.path)) ? nullptr : "not a file or folder inside the machine's drives";
  }
  if (InsideTheDrives(entry.path)) return nullptr;
  const bool desktopEntry =
      entry.path == XdgFolder("XDG_DATA_HOME", "/.local/share") + "/applications/qx-com-control-panel.desktop" ||
      entry.path == XdgFolder("XDG_CONFIG_HOME", "/.config") + "/autostart/qx-com-machine.desktop";
  return entry.kind == Kind::File && desktopEntry ? nullptr
                                                  : "not inside the machine's drives nor a desktop entry of the suite";
}

// Why the list may not name ENTRY, or null when it may.
const char* Refusal(const Entry& entry) {
  return entry.kind == Kind::Key || entry.kind == Kind::EmptyKey ? KeyRefusal(entry) : PathRefusal(entry);
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
  std::vector<Entry> allowed;
  for (const Entry& e : entries) {
    if (const char* why = Refusal(e)) ok = Say("refused", e.path, why);
    else allowed.push_back(e);
  }
  for (const Entry& e : allowed)
    if (e.kind == Kind::File) ok = RemoveFile(HostPath(e.path)) && ok;
  for (const Entry& e : allowed)
    if (e.kind == Kind::Key || e.kind == Kind::EmptyKey) ok = RemoveKey(e) && ok;
  for (const std::string& file : self) ok = RemoveFile(file) && ok;
  for (const Entry& e : allowed)
    if (e.kind == Kind::Folder) ok = RemoveFolder(HostPath(e.path)) && ok;
  return ok;
}

}  // namespace qx::unins
