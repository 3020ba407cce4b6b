#include "host/short_turns.h"

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace qx {

namespace {

// The kernel's struct sched_attr (its header clashes with the C library's sched.h).
struct SchedAttr {
  std::uint32_t size;
  std::uint32_t policy;
  std::uint64_t flags;
  std::int32_t nice;
  std::uint32_t priority;
  std::uint64_t runtime;  // for the normal policy: the slice asked for, in nanoseconds
  std::uint64_t deadline;
  std::uint64_t period;
};

}  // namespace

bool AskForShortTurns(std::chrono::microseconds slice) {
  SchedAttr attr{};
  attr.size = sizeof attr;
  attr.policy = SCHED_OTHER;
  // The nice value the thread has, kept: sched_setattr sets it too.
  attr.nice = ::nice(0);
  attr.runtime = static_cast<std::uint64_t>(std::chrono::nanoseconds(slice).count());
  return ::syscall(SYS_sched_setattr, 0, &attr, 0) == 0;
}

}  // namespace qx
