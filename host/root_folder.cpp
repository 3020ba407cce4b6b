#include "host/root_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "host/machine_root.h"

namespace qx {

namespace {

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

UniqueFd OpenRootFolder(const std::string& relative) {
  // The root itself may be reached through a link (a home under /var/home); below it, none.
  MakeDirs(MachineRoot());
  UniqueFd folder(::open(MachineRoot().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Split by hand, not with a stream: a program out of descriptors comes here for its log, and
  // there a stream's construction fails the undefined-behaviour sanitizer's type check.
  for (std::size_t at = 0, end = 0; folder && at <= relative.size(); at = end + 1) {
    end = std::min(relative.find('/', at), relative.size());
    const std::string part = relative.substr(at, end - at);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      errno = EINVAL;
      return UniqueFd();
    }
    if (::mkdirat(folder.get(), part.c_str(), 0700) != 0 && errno != EEXIST) return UniqueFd();
    folder = UniqueFd(::openat(folder.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return folder;
}

bool ReplaceFileIn(int folder, const std::string& name, const std::string& text, mode_t mode) {
  const std::string temp = "." + name + "." + std::to_string(::getpid()) + ".new";
  // A leftover of this process id, or a link planted under the name, goes: the text is written to
  // a file made afresh.
  ::unlinkat(folder, temp.c_str(), 0);
  UniqueFd fd(::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return false;
  bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), text) && ::fdatasync(fd.get()) == 0;
  ok = ::close(fd.release()) == 0 && ok && ::renameat(folder, temp.c_str(), folder, name.c_str()) == 0;
  const int error = errno;
  if (!ok) ::unlinkat(folder, temp.c_str(), 0);
  errno = error;
  return ok && ::fsync(folder) == 0;
}

}  // namespace qx
