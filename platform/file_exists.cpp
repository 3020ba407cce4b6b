#include "platform/file_exists.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/paths.h"

namespace qx {

bool FileExists(const std::string& path) {
  std::string tested = path;
  if (!tested.empty() && tested.back() == '\\') tested.pop_back();
  // Not waiting: opening a FIFO for reading would wait for a writer.
  const int fd = ::open(HostPath(tested).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // Opening a folder for reading succeeds on Linux; on Windows it does not, and it is no file.
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

}  // namespace qx
