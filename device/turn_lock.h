// A lock taken in turns: whoever asks first holds it next. The device service's client threads
// and its loop share the controller under it; a plain mutex would let a client that asks again
// the moment it lets go (one that floods the service) take it back before a waiting thread wakes,
// for as long as it likes. The turn is handed straight to the next in line, waking that one
// alone, so a long line costs no more to pass along than a short one. Meets BasicLockable, so
// std::unique_lock and std::condition_variable_any take it (in the prompt line); a wait on the
// latter gives the turn up and queues anew.
//
// There are two lines. The prompt line is for short work someone waits on (a suite program's
// request, the inputs' reports); the bulk line for work that may take milliseconds (the
// simulator's requests: a journal read, a burst of reports). The prompt line goes first, so that
// however many bulk turns wait, a prompt one waits for the turn in progress and the prompt ones
// before it; the bulk line still gets a turn at least every kBulkEvery while it waits, so that no
// number of prompt turns can shut it out.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace qx {

class TurnLock {
 public:
  enum class Line { kPrompt, kBulk };
  static constexpr std::chrono::milliseconds kBulkEvery{20};

  void lock() { lock(Line::kPrompt); }

  // Taken at once when nobody holds it, without the mutex: the common case, a lone client.
  void lock(Line line) {
    State free = kFree;
    if (state_.compare_exchange_strong(free, kHeld)) return;
    std::unique_lock<std::mutex> guard(mutex_);
    if (!JoinLine()) return;
    Waiter me;
    if (line == Line::kBulk && bulk_.empty()) bulkTurnAt_ = Clock::now();  // its wait starts now
    (line == Line::kBulk ? bulk_ : prompt_).push_back(&me);
    me.handedOver.wait(guard, [&] { return me.granted; });
  }

  // Hands the turn over before letting go of the mutex, so the one woken cannot return (and
  // perhaps end the lock's life: a service stopping once its last client leaves) before this
  // call is done with the lock.
  void unlock() {
    State held = kHeld;
    if (state_.compare_exchange_strong(held, kFree)) return;
    // kLined: the one who set it queued under the mutex in the same step, so a line has one.
    std::lock_guard<std::mutex> guard(mutex_);
    std::deque<Waiter*>& line = NextLine();
    Waiter* next = line.front();
    line.pop_front();
    if (prompt_.empty() && bulk_.empty()) state_ = kHeld;
    next->granted = true;
    next->handedOver.notify_one();
  }

 private:
  using Clock = std::chrono::steady_clock;
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

  // Under the mutex, with someone waiting: the line whose first gets the turn. The clock is read
  // only when a bulk turn waits.
  std::deque<Waiter*>& NextLine() {
    if (bulk_.empty()) return prompt_;
    const Clock::time_point now = Clock::now();
    if (!prompt_.empty() && now - bulkTurnAt_ < kBulkEvery) return prompt_;
    bulkTurnAt_ = now;
    return bulk_;
  }

  std::atomic<State> state_{kFree};
  std::mutex mutex_;            // guards the lines, bulkTurnAt_ and every change away from kLined
  std::deque<Waiter*> prompt_;  // those waiting in each line, in the order they asked
  std::deque<Waiter*> bulk_;
  // When the bulk line last got the turn, or began to wait.
  Clock::time_point bulkTurnAt_;
};

}  // namespace qx
