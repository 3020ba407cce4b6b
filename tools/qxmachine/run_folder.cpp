#include "tools/qxmachine/run_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/machine_root.h"

namespace qx::machine {

namespace {

// Removes everything in the open folder DIR, descending into folders through descriptors opened
// with O_NOFOLLOW, so that no link is followed; false when something could not be removed.
bool EmptyFolderAt(int dir) {
  DIR* listing = ::fdopendir(::dup(dir));
  if (!listing) return false;
  bool ok = true;
  while (dirent* e = ::readdir(listing)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    if (S_ISDIR(st.st_mode)) {
      const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      ok = sub >= 0 && EmptyFolderAt(sub) && ok;
      if (sub >= 0) ::close(sub);
    }
    ok = (::unlinkat(dir, name.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) == 0 || errno == ENOENT) && ok;
  }
  ::closedir(listing);
  return ok;
}

bool SetLinkAside(const std::string& run) {
  char target[4096];
  const ssize_t n = ::readlink(run.c_str(), target, sizeof target - 1);
  const std::string to = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "?";
  if (::rename(run.c_str(), (run + ".link").c_str()) != 0) {
    std::fprintf(stderr, "qxmachine: run/ is a link to %s and cannot be set aside (%s): not emptied\n", to.c_str(),
                 std::strerror(errno));
    return false;
  }
  std::fprintf(stderr, "qxmachine: run/ was a link to %s: set aside as run.link, not emptied\n", to.c_str());
  return MakeDirs(run);
}

}  // namespace

bool RootFitsItsSockets() {
  const std::string root = MachineRoot();
  if (root.size() <= kLongestRoot) return true;
  std::fprintf(stderr,
               "qxmachine: the machine root's path is %zu bytes long, too long for the sockets in its run/ "
               "(at most %zu): %s\n",
               root.size(), kLongestRoot, root.c_str());
  return false;
}

bool EmptyRunFolder() {
  const std::string run = MachineRoot() + "/run";
  struct stat st {};
  if (::lstat(run.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISLNK(st.st_mode)) return SetLinkAside(run);
  const int dir = ::open(run.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const bool ok = dir >= 0 && EmptyFolderAt(dir);
  if (dir >= 0) ::close(dir);
  if (!ok) std::fprintf(stderr, "qxmachine: run/ could not be emptied\n");
  return ok;
}

}  // namespace qx::machine
