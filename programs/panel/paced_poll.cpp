#include "programs/panel/paced_poll.h"

#include <algorithm>
#include <thread>

namespace qx {

PacedPoll::PacedPoll(QObject* parent) : QObject(parent) {
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &PacedPoll::Fire);
}

void PacedPoll::start() {
  next_ = std::chrono::steady_clock::now();
  timer_.start();
}

void PacedPoll::Fire() {
  std::this_thread::sleep_until(next_);
  // A poll held up by a long event comes at once; the schedule then goes on from it.
  next_ = std::max(next_ + std::chrono::milliseconds(1), std::chrono::steady_clock::now());
  emit Due();
}

}  // namespace qx
