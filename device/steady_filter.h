// The steady-finger filter: the touch path's first step, on raw reports (0..1023) before the
// calibration maps them, whichever input they came from. Resistive and older panels report a
// finger held still as a point that trembles by a few units, and now and then a single wild
// report; the filter keeps the first still and drops the second:
//
// - A dead zone of STRENGTH raw units each way around the last position it passed: a report
//   inside it passes as that position, so a still finger stays still. A report outside it passes
//   as it is, and the zone moves there: a finger that moves leaves it at once. (A stroke slower
//   than the strength a report moves the pointer in steps of about that size.)
// - A report far from both its neighbours, while they lie near each other, is dropped. That takes
//   one report of look-ahead: within a touch, each report but the first is held until the next one
//   comes, the finger lifts, or kHoldLimit passes with no report (a touchscreen held still sends
//   nothing), so a stroke's pointer is one report behind the finger, no more.
//
// Strength 0 is off: every report passes at once, as it came.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace qx {

class SteadyFilter {
 public:
  using Time = std::chrono::steady_clock::time_point;

  static constexpr std::chrono::milliseconds kHoldLimit{30};
  // A report is far from another when it lies more than this many strengths away on either axis
  // (and never less than kLeastSpike units).
  static constexpr int kSpikeStrengths = 8;
  static constexpr int kLeastSpike = 32;

  struct Point {
    std::int16_t x = 0;
    std::int16_t y = 0;
    bool touching = false;
  };
  // What one report, or one wake, lets through, in order: the report held before it and itself at
  // the most; and the report dropped as a spike, if one was.
  struct Passed {
    Point points[2];
    int count = 0;
    std::optional<Point> dropped;
    void Add(Point p) { points[count++] = p; }
  };

  // The dead zone each way, 0..kMaxSteadyFinger; 0 turns the filter off (a report held is let go
  // with the next report or wake).
  void SetStrength(int strength) { strength_ = strength; }
  int strength() const { return strength_; }

  Passed Take(Point report, Time now);
  // When a held report is to be let go if no other comes first; nothing when none is held.
  std::optional<Time> NextDue() const;
  Passed Wake(Time now);

 private:
  // Where P goes through the dead zone.
  Point Steady(Point p);
  bool Far(Point a, Point b) const;
  // The held report let go, when there is one.
  void LetGo(Passed& out);

  int strength_ = 0;
  bool down_ = false;  // a touch is under way: its touch-down passed
  Point zone_;         // the dead zone's centre: the last position passed
  Point before_;       // the report taken before the held one
  std::optional<Point> held_;
  Time heldAt_{};
};

}  // namespace qx
