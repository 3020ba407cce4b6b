// A lock taken in turns: whoever asks first holds it next. The device service's client threads
// and its loop share the controller under it; a plain mutex would let a client that asks again
// the moment it lets go (one that floods the service) take it back before a waiting thread wakes,
// for as long as it likes. Meets BasicLockable, so std::unique_lock and
// std::condition_variable_any take it; a wait on the latter gives the turn up and queues anew.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace qx {

class TurnLock {
 public:
  void lock() {
    std::unique_lock<std::mutex> guard(mutex_);
    const std::uint64_t ticket = next_++;
    turnPassed_.wait(guard, [&] { return serving_ == ticket; });
  }

  // Notifies before letting go of the mutex: whoever takes the turn next may end the lock's life
  // (a service that stops once its last client leaves).
  void unlock() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++serving_;
    turnPassed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable turnPassed_;
  std::uint64_t next_ = 0;     // the ticket the next to ask gets
  std::uint64_t serving_ = 0;  // the ticket that holds the lock, or is next to
};

}  // namespace qx
