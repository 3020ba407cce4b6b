// The touch path: a raw report in (0..1023 on each axis while the finger is on the panel), the
// controller's latest sample and counter, the steady-finger filter (device/steady_filter), the
// pointer position under the calibration, what the touch does under the touch mode, the right
// buttons and the double tap (device/touch_gesture); the pointer actions out, to every output
// attached, while touches are on. The one place that decides what a report means, whichever input
// it came from; the journal's `Report` line is written here (the report as it came). Its timers
// (a report the filter holds, the automatic right button) and its outputs' are woken by the
// service's loop, and before each request a client's thread serves.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/driver_records.h"
#include "core/settings_block.h"
#include "core/touch_options.h"
#include "device/journal.h"
#include "device/pointer_mapping.h"
#include "device/pointer_output.h"
#include "device/steady_filter.h"
#include "device/touch_gesture.h"

namespace qx {

class TouchPath {
 public:
  using Time = std::chrono::steady_clock::time_point;

  // SETTINGS is the controller's block as it is kept, read at every report (calibration, screen
  // size, touch mode, sound); it and JOURNAL outlive the path.
  TouchPath(const SettingsBlock& settings, Journal& journal)
      : settings_(settings), journal_(journal), gesture_(settings, [this](const PointerAction& a) { Emit(a); }) {}
  TouchPath(const TouchPath&) = delete;
  TouchPath& operator=(const TouchPath&) = delete;

  // Outputs get every action from now on, in the order they were attached; each outlives the path.
  void Attach(PointerOutput& output) { outputs_.push_back(&output); }
  // The rotation code the calibration was made at (-1: whatever the picture's is) and the one the
  // picture stands at now: a touch maps under the calibration turned by the difference.
  void SetTurn(int calibratedAt, int now) {
    calibratedAt_ = calibratedAt;
    rotation_ = now;
  }

  // The suite's own touch settings from now on: the filter's strength, the double tap, and whether
  // touches reach the outputs (switched off during a touch, a button it holds is let go at once).
  void SetOptions(const TouchOptions& options);
  // Where the double tap reads the desktop's double-click values; none: no double tap.
  void SetDoubleClickSource(DoubleClickSource source) { gesture_.doubleTap().SetSource(std::move(source)); }
  bool touchOn() const { return on_; }

  // One report of the controller, made at NOW: the sample and its counter, the `Report` line, and
  // what it does with the pointer (see TouchGesture).
  void Report(std::int16_t x, std::int16_t y, bool touching, Time now = std::chrono::steady_clock::now());
  // The settings in force, for an input that holds a touch to the sensitivity level.
  const SettingsBlock& settings() const { return settings_; }
  // Counts COUNT reports without making them: the counter moves on as if they had come, and
  // nothing else does (for reports that would repeat the last one exactly).
  void CountUnmade(std::size_t count);

  // The feedback sound with TONE (Hz) and DURATION (ms), as the sound dialog's Test button asks.
  void Bell(std::int32_t tone, std::int32_t duration) { Emit(PointerAction::Bell(tone, duration)); }

  // When the path or one of its outputs is next due to be woken whatever the inputs do (a report
  // the filter holds, the automatic right button's toggles, an output looking for its desktop);
  // nothing when none is.
  std::optional<Time> NextDue() const;
  void Wake(Time now);

  // The latest report, as GetTouchSample hands it out.
  const TouchSample& sample() const { return sample_; }
  bool touching() const { return (sample_.Status & TOUCH_BIT) != 0; }

  // The right-button program's registration: its window and the one-shot flag.
  const RbfRegistration& rightButton() const { return gesture_.rightButton(); }
  void Register(const RbfRegistration& registration) { gesture_.Register(registration); }

 private:
  void Emit(const PointerAction& action);
  // What the filter let through goes on, in order, at NOW.
  void Go(const SteadyFilter::Passed& passed, Time now);
  // One report the filter passed: to the gesture, unless touches are off for its touch.
  void Pass(SteadyFilter::Point report, Time now);
  void Ignore(SteadyFilter::Point report);

  const SettingsBlock& settings_;
  Journal& journal_;
  std::vector<PointerOutput*> outputs_;
  TouchSample sample_{};
  int calibratedAt_ = -1;
  int rotation_ = 0;
  SteadyFilter steady_;
  bool on_ = true;        // touches reach the outputs
  bool down_ = false;     // a touch passed the filter and has not lifted
  bool ignored_ = false;  // the touch under way reaches no output
  TouchGesture gesture_;
};

}  // namespace qx
