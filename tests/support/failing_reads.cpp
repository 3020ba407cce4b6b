// libqx-failing-reads.so, preloaded into a program: every read of the device node named by
// QX_FAILING_NODE fails with EIO, as a failing device's does, and each opening of that node is
// written to QX_FAILING_LOG as a line: its time on the monotonic clock, in ms. Preloaded
// ahead of umockdev's library, it sees the node's own path and passes everything else on.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMostFds = 1024;
std::atomic<bool> failing[kMostFds];

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void Opened(const char* path, int fd) {
  const char* node = std::getenv("QX_FAILING_NODE");
  if (fd < 0 || fd >= kMostFds || !node || std::strcmp(path, node) != 0) return;
  failing[fd] = true;
  if (const char* log = std::getenv("QX_FAILING_LOG"); FILE* f = log ? std::fopen(log, "a") : nullptr) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(f, "%lld\n", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
    std::fclose(f);
  }
}

}  // namespace

extern "C" {

// The service opens its nodes with open(), never open64() or openat().
int open(const char* path, int flags, ...) {
  std::va_list modes;
  va_start(modes, flags);
  const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(modes, mode_t) : 0;
  va_end(modes);
  const int fd = Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
  Opened(path, fd);
  return fd;
}

int close(int fd) {
  if (fd >= 0 && fd < kMostFds) failing[fd] = false;
  return Next<int (*)(int)>("close")(fd);
}

ssize_t read(int fd, void* buffer, size_t size) {
  if (fd >= 0 && fd < kMostFds && failing[fd]) {
    errno = EIO;
    return -1;
  }
  return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}

}  // extern "C"
