// A Linux touchscreen as the controller (qxwmecomd --touchscreen): an evdev node read with
// libevdev, grabbed so that the desktop does not act on the same touches twice, its events turned
// into reports by the touch decoder. A device that is unplugged or stops being readable leaves the
// service running with the controller absent; it is looked for again every half second and taken
// back when it is there.
#pragma once

#include <optional>
#include <string>

#include "device/touch_decoder.h"
#include "device/touch_input.h"

struct libevdev;

namespace qx {

class EvdevTouchscreen : public TouchInput {
 public:
  // PATH: an event node such as /dev/input/event5, or "auto": the first event node whose
  // properties say direct touch (INPUT_PROP_DIRECT) with absolute X and Y.
  explicit EvdevTouchscreen(std::string path);
  ~EvdevTouchscreen() override;
  EvdevTouchscreen(const EvdevTouchscreen&) = delete;
  EvdevTouchscreen& operator=(const EvdevTouchscreen&) = delete;

  enum class Found { kOpen, kAbsent, kNotTouchscreen };
  // Opens the device. kAbsent: not there, or not readable (looked for again later);
  // kNotTouchscreen: PATH is something else. WHY says what is wrong in both cases.
  Found Open(std::string& why);

  int Descriptor() const override { return fd_; }
  // The next look for the device (when absent) or at its node (when open).
  std::optional<Time> NextDue() const override { return due_; }
  void Wake(Time now, bool readable, TouchPath& path) override;
  bool Present() const override { return dev_ != nullptr; }
  SimInput Identity() const override;
  // "NAME (PATH), X 0..4095, Y 0..4095", or what is looked for while it is absent.
  std::string Describe() const override;

 private:
  using Clock = std::chrono::steady_clock;

  Found OpenNode(const std::string& node, bool scanning, std::string& why);
  Found Scan(std::string& why);
  void TakeState();
  // Reads what the device holds; false when it is gone.
  bool ReadEvents(TouchPath& path);
  void Close(TouchPath& path, const std::string& why);

  std::string wanted_;
  std::string node_;  // the node open, or the one last open
  int fd_ = -1;
  libevdev* dev_ = nullptr;
  std::optional<TouchDecoder> decoder_;
  std::string name_;
  TouchAxes axes_{};
  Time due_{};
  std::string lastWhy_;  // what was said last about a device that is absent, said once
};

}  // namespace qx
