#include "host/machine_root.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qx {

namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Whether DIR (where it exists: the suite makes it 0700) is this user's and closed to others'
// writing; says why not on stderr.
bool FolderIsOwn(const char* program, const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return true;
  const char* why = st.st_uid != ::geteuid() ? "belongs to another user"
                    : (st.st_mode & 022)     ? "can be written by other users"
                                             : nullptr;
  if (!why) return true;
  std::fprintf(stderr,
               "%s: %s %s (owner %u, mode %04o): the machine root and its run/ must be the user's own, closed to "
               "others (chmod go-w)\n",
               program, dir.c_str(), why, static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_mode & 07777));
  return false;
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

bool RootIsOwn(const char* program) {
  const std::string root = MachineRoot();
  return FolderIsOwn(program, root) && FolderIsOwn(program, root + "/run");
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
