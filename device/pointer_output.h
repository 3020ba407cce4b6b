// Where the touch path's pointer actions go: the interface every pointer output implements (the
// simulated pointer the service always keeps; a desktop's pointer besides it), and the actions.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace qx {

enum class PointerButton : std::uint8_t { kLeft, kRight };

// One thing the touch path does with the pointer. Positions are screen pixels, already mapped
// under the calibration; a bell is SoundTone and SoundDuration as the settings block holds them.
struct PointerAction {
  enum class Kind : std::uint8_t { kMove, kPress, kRelease, kBell };

  Kind kind = Kind::kMove;
  std::int32_t x = 0;  // kMove
  std::int32_t y = 0;
  PointerButton button = PointerButton::kLeft;  // kPress, kRelease
  std::int32_t tone = 0;                        // kBell
  std::int32_t duration = 0;

  static PointerAction MoveTo(std::int32_t x, std::int32_t y) { return {Kind::kMove, x, y}; }
  static PointerAction Press(PointerButton b) { return {Kind::kPress, 0, 0, b}; }
  static PointerAction Release(PointerButton b) { return {Kind::kRelease, 0, 0, b}; }
  static PointerAction Bell(std::int32_t tone, std::int32_t duration) {
    return {Kind::kBell, 0, 0, PointerButton::kLeft, tone, duration};
  }
  bool operator==(const PointerAction&) const = default;
};

// A pointer the touch path drives. Perform is called by whichever of the service's threads holds
// its turn, one action at a time in the order the touch path decides them, and must not block:
// an output that has lost its desktop drops what comes meanwhile and tries to reach it again
// when it is woken.
class PointerOutput {
 public:
  using Time = std::chrono::steady_clock::time_point;

  virtual ~PointerOutput() = default;
  virtual void Perform(const PointerAction& action) = 0;
  // When the output wants the loop to wake it whatever the touches do (to see whether its desktop
  // is still there, or to look for it again); nothing when it never does.
  virtual std::optional<Time> NextDue() const { return std::nullopt; }
  virtual void Wake(Time /*now*/) {}
  // A descriptor the loop waits on for the output, which Wake then reads (the x11 output's
  // connection, while it watches for another pointing device); -1 when there is none.
  virtual int Descriptor() const { return -1; }
  // Whether the desktop's cursor is hidden while touches move the pointer, until another pointing
  // device moves it (TouchOptions' HideCursor); an output that cannot hide it takes no notice.
  virtual void HideCursor(bool /*hide*/) {}
  // What the output is and, when it drops actions, why ("x11 on :99", "none (x11: DISPLAY not set)").
  virtual std::string Describe() const = 0;
};

}  // namespace qx
