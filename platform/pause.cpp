#include "platform/pause.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace qx {

namespace {

class SteadyQtClock : public PauseClock {
 public:
  double Now() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

  void RunEvents(double seconds) override {
    const auto wait = std::chrono::milliseconds(std::max(1L, std::lround(std::ceil(seconds * 1000))));
    if (!QCoreApplication::instance()) {
      std::this_thread::sleep_for(wait);
      return;
    }
    // Sleeps until an event comes, or the wake-up timer's own event at the end of the wait.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);  // a coarse timer may wake 5 % late: 50 ms of a second's pause
    wake.start(wait);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
};

}  // namespace

PauseClock& SystemPauseClock() {
  static SteadyQtClock clock;
  return clock;
}

void Pause(std::int16_t seconds, PauseClock& clock) {
  // The start is rounded as the time of day was; the end is measured on a clock that never
  // starts again, so a pause begun just before midnight still ends on time.
  const double end = std::nearbyint(clock.Now()) + seconds;
  for (double now = clock.Now(); now < end; now = clock.Now()) clock.RunEvents(end - now);
}

}  // namespace qx
