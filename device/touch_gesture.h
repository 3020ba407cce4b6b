// What one touch does with the pointer and its buttons, from touch-down to lift-off: the touch
// mode in force when the finger went down, both right buttons (the one-shot one the right-button
// program arms, and the automatic one of Drag Drop), the double tap (device/double_tap) and the
// feedback sound (the table is in docs/touch-modes.md). Positions are already on the screen; every
// action goes to the touch path's outputs through EMIT.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "core/driver_records.h"
#include "core/settings_block.h"
#include "device/double_tap.h"
#include "device/pointer_mapping.h"
#include "device/pointer_output.h"

namespace qx {

class TouchGesture {
 public:
  using Time = std::chrono::steady_clock::time_point;
  using Emit = std::function<void(const PointerAction&)>;

  // How far a finger may wander from where it went down, in pixels on either axis, and still be
  // held still for the automatic right button.
  static constexpr int kStillSlop = 8;

  // SETTINGS is read at every touch (mode, right-button function, sound); it outlives the gesture.
  TouchGesture(const SettingsBlock& settings, Emit out) : settings_(settings), emit_(std::move(out)) {}

  // The finger went down at P. While the right-button program's one-shot flag is set, the touch
  // takes it (the flag is cleared) and is a right click, whatever the mode.
  void Down(ScreenPoint p, Time now);
  // A report at P that is neither a touch-down nor a lift-off (the finger moved, or stayed).
  void Move(ScreenPoint p, Time now);
  // The finger lifted at P.
  void Up(ScreenPoint p, Time now);
  // The touch under way goes no further (touches were switched off): a button it holds is let go
  // where the pointer is, and nothing is due.
  void Cancel();

  // When the automatic right button is next due to toggle; nothing when no touch waits for it.
  std::optional<Time> NextDue() const;
  void Wake(Time now);

  // The right-button program's registration: its window and the one-shot flag.
  const RbfRegistration& rightButton() const { return rightButton_; }
  void Register(const RbfRegistration& registration) { rightButton_ = registration; }
  // The double tap, and the desktop's double-click values it reads.
  DoubleTap& doubleTap() { return doubleTap_; }

 private:
  enum class Phase {
    kLifted,
    kLeftHeld,     // Stream, Drag Drop: released at lift-off
    kClickOnLift,  // Lift Off: a left click where the finger lifts
    kFollowing,    // the pointer follows, no button, nothing at lift-off
    kStill,        // Drag Drop, automatic right button: held still so far, no button yet
    kRightHeld,    // the automatic right button pressed: released at lift-off or at Toggle Off
  };

  void TouchModeDown(Time now);
  void MoveTo(ScreenPoint p);
  void Press(PointerButton b);
  void Release(PointerButton b);
  void Click(PointerButton b);
  void Beep();
  bool AutomaticRightButton() const;

  const SettingsBlock& settings_;
  Emit emit_;
  RbfRegistration rightButton_{-1, 0, 0};
  Phase phase_ = Phase::kLifted;
  ScreenPoint origin_{};   // where the finger went down
  bool wandered_ = false;  // it has left the still area around there since
  Time due_{};             // kStill: Toggle On; kRightHeld: Toggle Off
  Time now_{};             // when the report or wake under way came
  DoubleTap doubleTap_;
  // Where the last move put the pointer (nowhere before the first report).
  bool moved_ = false;
  ScreenPoint pointer_{};
};

}  // namespace qx
