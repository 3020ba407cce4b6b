// The finger the simulated controller holds down, the service's touch input when no touchscreen
// is there: where it is, how shaky it is, and when its next report is due at the controller's
// report rate; each report it hands to the touch path when the service's loop wakes it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>

#include "device/touch_input.h"

namespace qx {

class Finger : public TouchInput {
 public:
  static constexpr int kDefaultRate = 100;
  static constexpr int kMaxRate = 1000;

  Finger();

  // Puts the finger down at (X, Y), or moves it there; its first report is due at NOW.
  void Press(std::int16_t x, std::int16_t y, std::uint16_t jitter, Time now);
  void Lift() { down_ = false; }
  bool down() const { return down_; }

  // Reports a second, 1..kMaxRate. A finger that is down keeps its next report time.
  int rate() const { return rate_; }
  void SetRate(int rate) { rate_ = rate; }
  // The time between two reports at the rate.
  std::chrono::nanoseconds Period() const { return std::chrono::nanoseconds(1'000'000'000LL / rate_); }

  // When the next report is due; nothing while the finger is up.
  std::optional<Time> NextDue() const override;
  // The report due at NOW, if one is, to PATH (the finger has no descriptor).
  void Wake(Time now, bool readable, TouchPath& path) override;
  std::string Describe() const override { return "simulated"; }
  // True when a report is due at NOW; it is then taken, and the next one is scheduled. A service
  // that was held up (stopped, or busy) for longer than a report period does not catch up with
  // a burst: the next report comes one period after this one.
  bool TakeDue(Time now);

  // The position of one report: the finger's place, off by up to the jitter on each axis (kept
  // inside the panel's 0..1023 when the finger is).
  std::int16_t ReportX() { return Shaken(x_); }
  std::int16_t ReportY() { return Shaken(y_); }

 private:
  std::int16_t Shaken(std::int16_t v);

  bool down_ = false;
  std::int16_t x_ = 0;
  std::int16_t y_ = 0;
  int jitter_ = 0;
  int rate_ = kDefaultRate;
  Time due_{};
  std::minstd_rand random_;
};

}  // namespace qx
