#include "host/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <string_view>
#include <vector>

#include "host/machine_root.h"
#include "host/profile_text.h"

namespace qx {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of DIR named NAME: NAME itself when it exists, else the one entry that differs only
// in letter case, else NAME (a file still to be made keeps the case it is given).
std::string EntryName(const std::string& dir, const std::string& name) {
  if (Exists(dir + "/" + name)) return name;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return name;
  std::string found;
  int matches = 0;
  while (dirent* e = ::readdir(d)) {
    if (profile::SameName(e->d_name, name)) {
      found = e->d_name;
      ++matches;
    }
  }
  ::closedir(d);
  return matches == 1 ? found : name;
}

// Splits at "\" and "/", dropping empty parts and "."; ".." removes the part before it, and
// nothing at the top.
std::vector<std::string> Parts(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (c == '\\' || c == '/') flush();
    else part += c;
  }
  flush();
  return parts;
}

}  // namespace

bool OnTheDrives(const std::string& path) { return path.empty() || path[0] != '/'; }

std::string HostPath(const std::string& windowsPath) {
  if (!OnTheDrives(windowsPath)) return windowsPath;
  std::string_view rest = windowsPath;
  char drive = 0;
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
    drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    rest.remove_prefix(2);
  } else if (!rest.empty()) {
    // "\a" and a relative "a\b" alike: the machine's current folder is the top of its system
    // drive, so a relative path can never reach out of the root through the process's own
    // current folder.
    drive = 'c';
  } else {
    return "";
  }
  std::string path = MachineRoot() + "/drive_" + drive;
  for (const std::string& part : Parts(rest)) path += "/" + EntryName(path, part);
  return path;
}

}  // namespace qx
