// A poll once a millisecond on a fixed schedule, from the event loop. A timer of no interval fires
// each time the loop has let everything through; it first waits out what is left of the current
// millisecond. So the driver is asked a thousand times a second (a Qt timer of 1 ms wakes late by
// up to a millisecond and starts its next period from there), and every event waits a
// millisecond at the most.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

namespace qx {

class PacedPoll : public QObject {
  Q_OBJECT
 public:
  explicit PacedPoll(QObject* parent);

  // The first Due() comes at once.
  void start();
  void stop() { timer_.stop(); }
  bool isActive() const { return timer_.isActive(); }

 signals:
  void Due();

 private:
  void Fire();

  QTimer timer_;
  std::chrono::steady_clock::time_point next_;
};

}  // namespace qx
