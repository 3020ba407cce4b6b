// The touch path: a raw report in (0..1023 on each axis while the finger is on the panel), the
// controller's latest sample and counter, the pointer position under the calibration, what the
// touch does under the touch mode and the right buttons (device/touch_gesture); the pointer
// actions out, to every output attached. The one place that decides what a report means,
// whichever input it came from; the journal's `Report` line is written here. Its timers (the
// automatic right button) and its outputs' are woken by the service's loop, and before each
// request a client's thread serves.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/driver_records.h"
#include "core/settings_block.h"
#include "device/journal.h"
#include "device/pointer_mapping.h"
#include "device/pointer_output.h"
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

  // One report of the controller, made at NOW: the sample and its counter, the `Report` line, and
  // what it does with the pointer (see TouchGesture).
  void Report(std::int16_t x, std::int16_t y, bool touching, Time now = std::chrono::steady_clock::now());
  // Counts COUNT reports without making them: the counter moves on as if they had come, and
  // nothing else does (for reports that would repeat the last one exactly).
  void CountUnmade(std::size_t count);

  // The feedback sound with TONE (Hz) and DURATION (ms), as the sound dialog's Test button asks.
  void Bell(std::int32_t tone, std::int32_t duration) { Emit(PointerAction::Bell(tone, duration)); }

  // When the path or one of its outputs is next due to be woken whatever the inputs do (the
  // automatic right button's toggles, an output looking for its desktop); nothing when none is.
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

  const SettingsBlock& settings_;
  Journal& journal_;
  std::vector<PointerOutput*> outputs_;
  TouchSample sample_{};
  int calibratedAt_ = -1;
  int rotation_ = 0;
  TouchGesture gesture_;
};

}  // namespace qx
