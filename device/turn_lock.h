// A lock taken in turns: whoever asks first holds it next. The device service's client threads
// and its loop share the controller under it; a plain mutex would let a client that asks again
// the moment it lets go (one that floods the service) take it back before a waiting thread wakes,
// for as long as it likes. The turn is handed straight to the next in line, waking that one
// alone, so a long line costs no more to pass along than a short one. Meets BasicLockable, so
// std::unique_lock and std::condition_variable_any take it; a wait on the latter gives the turn
// up and queues anew.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace qx {

class TurnLock {
 public:
  void lock() {
    std::unique_lock<std::mutex> guard(mutex_);
    if (!held_) {
      held_ = true;
      return;
    }
    Waiter me;
    line_.push_back(&me);
    me.handedOver.wait(guard, [&] { return me.granted; });
  }

  // Hands the turn over before letting go of the mutex, so the one woken cannot return (and
  // perhaps end the lock's life: a service stopping once its last client leaves) before this
  // call is done with the lock.
  void unlock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (line_.empty()) {
      held_ = false;
      return;
    }
    Waiter* next = line_.front();
    line_.pop_front();
    next->granted = true;
    next->handedOver.notify_one();
  }

 private:
  struct Waiter {
    std::condition_variable handedOver;
    bool granted = false;
  };
  std::mutex mutex_;
  bool held_ = false;
  std::deque<Waiter*> line_;  // those waiting, in the order they asked
};

}  // namespace qx
