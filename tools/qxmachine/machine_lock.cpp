#include "tools/qxmachine/machine_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "host/machine_root.h"

namespace qx::machine {

MachineLock::MachineLock() {
  const std::string path = MachineRoot() + "/machine.lock";
  MakeDirs(MachineRoot());
  // Close-on-exec: the programs a boot starts must not hold the machine after qxmachine ends.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::fprintf(stderr, "qxmachine: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kMostWaitSeconds);
  bool said = false;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      std::fprintf(stderr, "qxmachine: cannot lock %s: %s\n", path.c_str(), std::strerror(errno));
      ::close(fd);
      return;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "qxmachine: the machine is busy: another qxmachine has held it for %d s\n",
                   kMostWaitSeconds);
      ::close(fd);
      return;
    }
    if (!said) std::fprintf(stderr, "qxmachine: another qxmachine is at work on this machine: waiting for it\n");
    said = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  fd_ = fd;
}

MachineLock::~MachineLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace qx::machine
