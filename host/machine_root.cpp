#include "host/machine_root.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qx {

namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string MachineRoot() {
  if (const char* root = std::getenv("QX_ROOT"); root && *root) return WithoutTrailingSlash(root);
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    data = xdg;
  } else {
    const char* home = std::getenv("HOME");
    data = std::string(home && *home ? home : "/tmp") + "/.local/share";
  }
  return WithoutTrailingSlash(data) + "/qx-com";
}

void SetMachineRoot(const std::string& dir) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(dir, ec);
  setenv("QX_ROOT", ec ? dir.c_str() : absolute.lexically_normal().c_str(), 1);
}

std::string RunDir() {
  std::string run = MachineRoot() + "/run";
  MakeDirs(run);
  return run;
}

bool MakeDirs(const std::string& dir) {
  // Each missing folder is made 0700 (a umask only takes bits away, so whatever it is): what the
  // root holds belongs to its owner alone. Folders that exist keep the mode they have.
  for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string prefix = dir.substr(0, slash);
    if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) break;
    if (slash == std::string::npos) break;
  }
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec);
}

}  // namespace qx
