// The touchscreen the service reads in place of the simulated controller: the one a root's input
// setting names (device/input_setting: "auto", an event node's path, or a name or "vvvv:pppp"),
// found, followed and taken again as udev announces devices coming and going. While none is open
// the controller reads as absent. A device that cannot be opened, or is lost, is said once, in
// words a person can act on; one read in error is tried again less and less often.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "device/evdev_touchscreen.h"
#include "device/touch_input.h"
#include "device/touchscreen_finder.h"
#include "device/udev_watch.h"

namespace qx {

class TouchscreenInput : public TouchInput {
 public:
  // Called with the touchscreen taken under "auto" or a name, to be remembered for next time.
  using Remember = std::function<void(const TouchscreenIdentity&)>;

  // USE: "auto", a path, or a name or "vvvv:pppp"; REMEMBERED: the one the root took last.
  TouchscreenInput(std::string use, TouchscreenIdentity remembered, Remember remember);
  ~TouchscreenInput() override;
  TouchscreenInput(const TouchscreenInput&) = delete;
  TouchscreenInput& operator=(const TouchscreenInput&) = delete;

  // Looks for the device the first time; what is wrong (said on stderr too) when it is not
  // taken, "" when it is. A path that is not a touchscreen is refused for good: NOT_TOUCHSCREEN.
  std::string Start(bool& notTouchscreen);

  // Both udev's announcements and the open device, as one descriptor (an epoll set).
  int Descriptor() const override { return epoll_; }
  std::optional<Time> NextDue() const override { return due_; }
  void Wake(Time now, bool readable, TouchPath& path) override;
  bool Present() const override { return device_ != nullptr; }
  void Release(TouchPath& path) override;
  InputInfo Identity() const override;
  PanelFacts Panel() const override { return device_ ? device_->Panel() : PanelFacts{}; }
  const ControllerFacts* Facts() const override { return facts_ ? &*facts_ : nullptr; }
  // The device and why it was chosen, or what is looked for and why it is not there.
  std::string Describe() const override;

 private:
  using Clock = std::chrono::steady_clock;

  bool Auto() const { return use_ == "auto"; }
  bool ByPath() const { return !use_.empty() && use_[0] == '/'; }
  // Opens what the setting names, if it is there, other than the node EXCEPT; false with WHY when
  // nothing was taken.
  bool Find(std::string& why, bool& notTouchscreen, const std::string& except = "");
  bool FindByPath(std::string& why, bool& notTouchscreen);
  bool FindAmong(std::string& why, const std::string& except);
  // VOUCHED: taken whatever it looks like (named, or udev calls it a touchscreen).
  bool Take(const std::string& node, bool vouched, std::string& why, EvdevTouchscreen::Failure& failure);
  void Lose(TouchPath& path, const std::string& why, bool readError);
  void Announced(TouchPath& path);
  // Takes what the setting names among what is there now, if nothing is open; says what it did.
  void LookAgain();
  // Says WHY on stderr unless it was the last thing said.
  void Say(const std::string& why);
  // When to look again while nothing is open: a path is looked at (a node may come back without
  // an announcement); a device read in error is tried again after a growing pause; the device
  // broker is asked again every two seconds while it refuses; others wait for udev.
  void ScheduleRetry();

  std::string use_;
  TouchscreenIdentity remembered_;
  Remember remember_;
  UdevWatch watch_;
  int epoll_ = -1;
  std::unique_ptr<EvdevTouchscreen> device_;
  // The device open, or open last: what GetInput names while it is away.
  std::string lastNode_;
  std::string lastName_;
  TouchAxes lastAxes_{};
  // The controller's facts of the device taken last, the machine's serial ports read again at
  // udev's tty announcements.
  SerialMachine machine_ = SerialMachine::Here();
  std::optional<ControllerFacts> facts_;
  std::string chosenWhy_;
  std::string absentWhy_;  // what is wrong while nothing is open
  std::string said_;
  std::optional<Time> due_;
  int readErrors_ = 0;    // in a row
  bool refused_ = false;  // the device broker refused the device, or took it back
};

}  // namespace qx
