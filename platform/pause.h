// Pause: waits whole seconds on the UI thread while the program's events go on running.
#pragma once

#include <cstdint>

namespace qx {

// The clock a pause is measured on and the way it lets events run; tests give their own.
class PauseClock {
 public:
  virtual ~PauseClock() = default;
  // Seconds on a clock that only goes forward (never the time of day, which starts again at
  // midnight).
  virtual double Now() = 0;
  // Lets pending events run, waiting for them at most SECONDS.
  virtual void RunEvents(double seconds) = 0;
};

// The steady clock, and Qt's events (QCoreApplication) when there is an application.
PauseClock& SystemPauseClock();

// Waits until the clock reaches the start time rounded to the nearest whole second (halves to
// even) plus SECONDS, letting events run all along: between SECONDS - 0.5 and SECONDS + 0.5
// seconds after the call (Pause(1) at 100.6 returns at 102.0, at 100.3 at 101.0).
void Pause(std::int16_t seconds, PauseClock& clock = SystemPauseClock());

}  // namespace qx
