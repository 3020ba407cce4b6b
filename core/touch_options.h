// The suite's own touch settings, beside the controller's settings block (whose 82-byte layout
// the driver's requests and the suite's programs rely on): whether touches reach the desktop, the
// steady-finger filter, the double tap and the hidden cursor. The record the device service keeps
// and hands out (GetOptions, SetOptions), and its fields by name, as qxctl reads and writes
// them beside the block's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx {

// The steady-finger filter's strength at most: a dead zone of 64 raw units each way.
inline constexpr int kMaxSteadyFinger = 64;

// Laid out as the wire and the state file hold it, without padding (the static_assert holds it).
struct TouchOptions {
  std::uint8_t TouchOn;        // 1: touches reach the pointer outputs; 0: they reach none
  std::uint8_t DoubleTap;      // 1: a second tap soon after a first clicks where the first did
  std::uint8_t HideCursor;     // 1: the x11 output hides the cursor while touches move the pointer
  std::uint8_t Unused;         // kept as it came
  std::uint16_t SteadyFinger;  // 0: off; else the dead zone in raw units, 1..kMaxSteadyFinger
  std::uint16_t Reserved;      // kept as it came
};
static_assert(sizeof(TouchOptions) == 8);

// What a root starts with: touches on, the double tap on, the filter off, the cursor shown.
TouchOptions DefaultOptions();

// The names, in the order qxctl lists them: TouchOn, SteadyFinger, DoubleTap, HideCursor.
const std::vector<std::string>& OptionNames();
// The value as a decimal number; nothing for an unknown name (names compare without regard to case).
std::optional<std::string> GetOption(const TouchOptions& options, const std::string& name);
// Sets one from text (a number, decimal or 0x hex, within its range). An error message, empty on
// success; the options are unchanged on error.
std::string SetOption(TouchOptions& options, const std::string& name, const std::string& value);
// Whether every value is within its range: what the service takes.
bool OptionsValid(const TouchOptions& options);
// "TouchOn=1 SteadyFinger=0 DoubleTap=1 HideCursor=0".
std::string DescribeOptions(const TouchOptions& options);

}  // namespace qx
