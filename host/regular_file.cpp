#include "host/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "host/unique_fd.h"

namespace qx {

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

std::optional<std::string> ReadFrom(int fd, std::size_t limit) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  errno = EFBIG;
  if (static_cast<std::uintmax_t>(st.st_size) > limit) return std::nullopt;
  std::string text;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    errno = EFBIG;
    if (text.size() > limit) return std::nullopt;
  }
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit, bool follow) {
  const UniqueFd fd(OpenRegularFile(path, O_RDONLY | (follow ? 0 : O_NOFOLLOW)));
  if (!fd) return std::nullopt;
  return ReadFrom(fd.get(), limit);
}

}  // namespace qx
