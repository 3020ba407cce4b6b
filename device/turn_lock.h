// A lock taken in turns: whoever asks first holds it next. The device service's client threads
// and its loop share the controller under it; a plain mutex would let a client that asks again
// the moment it lets go (one that floods the service) take it back before a waiting thread wakes,
// for as long as it likes. The turn is handed straight to the next in line, waking that one
// alone, so a long line costs no more to pass along than a short one. Meets BasicLockable, so
// std::unique_lock and std::condition_variable_any take it; a wait on the latter gives the turn
// up and queues anew.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace qx {

class TurnLock {
 public:
  // Taken at once when nobody holds it, without the mutex: the common case, a lone client.
  void lock() {
    State free = kFree;
    if (state_.compare_exchange_strong(free, kHeld)) return;
    std::unique_lock<std::mutex> guard(mutex_);
    if (!JoinLine()) return;
    Waiter me;
    line_.push_back(&me);
    me.handedOver.wait(guard, [&] { return me.granted; });
  }

  // Hands the turn over before letting go of the mutex, so the one woken cannot return (and
  // perhaps end the lock's life: a service stopping once its last client leaves) before this
  // call is done with the lock.
  void unlock() {
    State held = kHeld;
    if (state_.compare_exchange_strong(held, kFree)) return;
    // kLined: the one who set it queued under the mutex in the same step, so the line has one.
    std::lock_guard<std::mutex> guard(mutex_);
    Waiter* next = line_.front();
    line_.pop_front();
    if (line_.empty()) state_ = kHeld;
    next->granted = true;
    next->handedOver.notify_one();
  }

 private:
  // kLined: held, with a line; an unlock must then hand the turn on, under the mutex.
  enum State { kFree, kHeld, kLined };
  struct Waiter {
    std::condition_variable handedOver;
    bool granted = false;
  };

  // Under the mutex: takes the turn if it came free meanwhile (false), or marks that a line waits
  // for it (true), so that its holder's unlock hands it on instead of letting it go.
  bool JoinLine() {
    State seen = state_.load();
    for (;;) {
      const State next = seen == kFree ? kHeld : kLined;
      if (state_.compare_exchange_weak(seen, next)) return next == kLined;
    }
  }

  std::atomic<State> state_{kFree};
  std::mutex mutex_;          // guards line_ and every change away from kLined
  std::deque<Waiter*> line_;  // those waiting, in the order they asked
};

}  // namespace qx
