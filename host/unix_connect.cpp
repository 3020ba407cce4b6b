#include "host/unix_connect.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace qx {

int ConnectUnix(const std::string& path, std::chrono::steady_clock::time_point deadline, int type) {
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  // A full backlog refuses a non-blocking connect at once with EAGAIN, and a Unix socket offers
  // no way to wait for room: try again, a little less eagerly each time, until the deadline.
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    int fd = ::socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
    int error = errno;
    ::close(fd);
    if (error == EINTR) continue;
    if (error != EAGAIN && error != EINPROGRESS) {
      errno = error;
      return -1;
    }
    auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
      errno = ETIMEDOUT;
      return -1;
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, left));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

}  // namespace qx
