// A recording played through the service (`qxctl replay`): a touch input like the others, fed not
// by a descriptor but by the SimReplay requests that carry its events, part by part, at the
// recording's pace. Its events go through the decoder a touchscreen's go through. While it plays it
// is the input in force; after its last part the input before it is again.
#pragma once

#include <optional>
#include <string>

#include "core/driver_records.h"
#include "device/touch_decoder.h"
#include "device/touch_input.h"

namespace qx {

class ReplayInput : public TouchInput {
 public:
  // One part of a recording, its events decoded into PATH. A first part ends the recording that
  // plays, if any, and starts a new one; a last part ends it. False when the part cannot be
  // taken: more events than a part holds, or a part that is not a first while nothing plays.
  bool Take(const SimReplay& part, TouchPath& path);
  // Ends the recording that plays: a touch still down lifts where it was.
  void End(TouchPath& path);
  bool playing() const { return playing_.has_value(); }

  std::optional<Time> NextDue() const override { return std::nullopt; }
  void Wake(Time, bool, TouchPath&) override {}
  bool InForce() const override { return playing(); }
  void Release(TouchPath& path) override { End(path); }
  InputInfo Identity() const override;
  // "recording FILE, X 0..4095, Y 0..4095".
  std::string Describe() const override;

 private:
  struct Playing {
    TouchDecoder decoder;
    InputInfo input;
  };
  std::optional<Playing> playing_;
};

}  // namespace qx
