// Where raw touch reports come from: the interface every touch input implements (the simulated
// finger; a touchscreen or a recording besides it). The touch side holds them; the service's loop
// waits on all of them at once, by descriptor and by time, and whenever it wakes (and a client's
// thread, before it serves a request) lets each one hand the touch path the reports it has. An
// input only reads and times: what a report means is the touch path's.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/driver_records.h"
#include "device/controller_facts.h"

namespace qx {

class TouchPath;

// What the touchscreen in force says of itself for the choice of its monitor: its name, whether it
// is built into the machine (not on USB or Bluetooth), and its glass's size in millimetres (0 where
// it does not say).
struct PanelFacts {
  std::string name;
  // The touchscreen's identity ("Name (vvvv:pppp, phys)"), which its calibration is kept under;
  // "" for an input that is no panel (the simulated finger, a recording).
  std::string identity;
  bool builtIn = false;
  double widthMm = 0;
  double heightMm = 0;
  bool operator==(const PanelFacts&) const = default;
};

class TouchInput {
 public:
  using Time = std::chrono::steady_clock::time_point;

  virtual ~TouchInput() = default;

  // A descriptor the loop waits on until it can be read; -1 for an input that has none.
  virtual int Descriptor() const { return -1; }
  // When the input is to be woken next whatever its descriptor does (a report due, a device to
  // look for again); nothing when only its descriptor wakes it.
  virtual std::optional<Time> NextDue() const = 0;
  // Called whenever the loop wakes, for whatever reason, and before a client's request is
  // served, always by the holder of the service's turn: hands PATH the reports due at NOW and,
  // when READABLE, those its descriptor holds (read without blocking; there may be none), in order.
  virtual void Wake(Time now, bool readable, TouchPath& path) = 0;
  // What the input is, for `qxctl output` ("simulated", a device's name and path).
  virtual std::string Describe() const = 0;

  // Whether the input takes over from those added before it now: the one added last of those that
  // do is the input in force (a recording only while it plays).
  virtual bool InForce() const { return true; }
  // The input is let go (another takes its place): a touch it holds down lifts.
  virtual void Release(TouchPath& /*path*/) {}
  // Whether the input can report now: a touchscreen unplugged or unreadable cannot, and the
  // controller reads as absent meanwhile.
  virtual bool Present() const { return true; }
  // What it says of itself for the choice of a monitor; nothing known for the simulated finger.
  virtual PanelFacts Panel() const { return {}; }
  // What the input is, as GetInput hands it out: its kind, name and path, and the axes its
  // positions come on (the controller's raw 0..1023 for the simulated finger).
  virtual InputInfo Identity() const { return SimulatedInput(); }
  // What a real touchscreen says of itself as the controller (the last one open, while it is
  // away); nothing for the simulated controller, which keeps what it simulates.
  virtual const ControllerFacts* Facts() const { return nullptr; }

  static InputInfo SimulatedInput() {
    InputInfo input{};
    input.Kind = INPUT_SIMULATED;
    input.Present = 1;
    input.Axes.X = input.Axes.Y = input.Axes.SlotX = input.Axes.SlotY = {0, 1023};
    return input;
  }
};

}  // namespace qx
