#include "host/process_handles.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <deque>
#include <mutex>

#include "host/failing_calls.h"
#include "host/handles.h"
#include "host/unique_fd.h"

namespace qx {

namespace {

constexpr std::size_t kKeptStarts = 16;
struct Started {
  pid_t pid;
  UniqueFd pidfd;
};
std::mutex startedLock;
std::deque<Started> started;

// A new descriptor on the kept pidfd of PID; -1 when this program did not start it lately.
int KeptStart(pid_t pid) {
  std::lock_guard<std::mutex> hold(startedLock);
  for (auto it = started.rbegin(); it != started.rend(); ++it)
    if (it->pid == pid) return ::fcntl(it->pidfd.get(), F_DUPFD_CLOEXEC, 1);
  return -1;
}

// What is left of a wait for DEADLINE, as poll takes it: -1 for INFINITE.
int PollTimeout(DWORD milliseconds, std::chrono::steady_clock::time_point deadline) {
  if (milliseconds == INFINITE) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(left < INT_MAX ? left : INT_MAX);
}

}  // namespace

void KeepStartedProcess(DWORD processId, UniqueFd pidfd) {
  const pid_t pid = static_cast<pid_t>(processId);
  if (!pidfd) return;
  UniqueFd kept(::fcntl(pidfd.get(), F_DUPFD_CLOEXEC, 3));  // clear of the standard descriptors
  if (!kept) return;
  std::lock_guard<std::mutex> hold(startedLock);
  started.push_back({pid, std::move(kept)});
  if (started.size() > kKeptStarts) started.pop_front();
}

HANDLE OpenProcess(DWORD desiredAccess, BOOL, DWORD processId) {
  if (!(desiredAccess & SYNCHRONIZE) || processId == 0 || processId > INT_MAX) return 0;
  long fd = KeptStart(static_cast<pid_t>(processId));
  if (fd < 0) fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(processId), 0);
  if (fd < 0) return 0;
  if (fd == 0) {  // 0 is the null handle: keep the descriptor above it
    long moved = ::fcntl(0, F_DUPFD_CLOEXEC, 1);
    ::close(0);
    if (moved < 0) return 0;
    fd = moved;
  }
  AddHandle(static_cast<int>(fd), HandleKind::Process);
  return static_cast<HANDLE>(fd);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (!IsHandle(handle, HandleKind::Process)) return WAIT_FAILED;
  // A process handle here never fails a wait nor comes back abandoned; tests make it so.
  if (CallFails("WaitForSingleObject")) return WAIT_FAILED;
  if (CallFails("WaitForSingleObject", "WAIT_ABANDONED")) return WAIT_ABANDONED;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const int timeout = PollTimeout(milliseconds, deadline);
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    const int n = ::poll(&p, 1, timeout);
    if (n > 0) return (p.revents & POLLIN) ? WAIT_OBJECT_0 : WAIT_FAILED;
    if (n == 0) {
      if (timeout != 0 && std::chrono::steady_clock::now() < deadline) continue;
      return WAIT_TIMEOUT;
    }
    if (errno != EINTR) return WAIT_FAILED;
  }
}

}  // namespace qx
