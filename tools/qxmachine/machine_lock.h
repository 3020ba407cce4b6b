// One qxmachine at a time on a root: boot, restart and shutdown each hold the lock
// <root>/machine.lock (flock) while they run, so that two restarts at once do not both run the
// log-on, and a second one waits for the first. The lock is not in run/, which a restart empties.
#pragma once

namespace qx::machine {

class MachineLock {
 public:
  // Waits for the lock, at most kMostWaitSeconds, saying on stderr that it waits; held() tells
  // whether it was taken (when not, the reason was said).
  MachineLock();
  ~MachineLock();
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;

  bool held() const { return fd_ >= 0; }

  // Longer than the longest shut-down and start of a machine whose programs all had to be killed.
  static constexpr int kMostWaitSeconds = 120;

 private:
  int fd_ = -1;
};

}  // namespace qx::machine
