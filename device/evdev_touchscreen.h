// One Linux touchscreen, open: an evdev node read with libevdev, grabbed so that the desktop does
// not act on the same touches twice, its events turned into reports by the touch decoder. The node
// is opened by the device broker where the package's runs, which may take it back (host/
// device_opener.h). Which device to open, and when, is the touchscreen input's
// (device/touchscreen_input).
#pragma once

#include <memory>
#include <string>

#include "device/controller_facts.h"
#include "device/touch_decoder.h"
#include "device/touch_input.h"
#include "device/touchscreen_finder.h"
#include "host/device_opener.h"

struct libevdev;

namespace qx {

class TouchPath;

class EvdevTouchscreen {
 public:
  enum class Failure { kNone, kAbsent, kDenied, kRefused, kNotTouchscreen };

  // Opens NODE and checks that it is a touchscreen (VOUCHED, named by the person or called one by
  // udev: that it can be read as one, whatever it looks like); nothing, with FAILURE and WHY, when
  // it cannot be opened (kAbsent: not there; kDenied: not readable by this user; kRefused: the
  // device broker would not open it now) or is something else.
  static std::unique_ptr<EvdevTouchscreen> Open(const std::string& node, bool vouched, Failure& failure,
                                                std::string& why);
  ~EvdevTouchscreen();
  EvdevTouchscreen(const EvdevTouchscreen&) = delete;
  EvdevTouchscreen& operator=(const EvdevTouchscreen&) = delete;

  int Descriptor() const { return fd_.get(); }
  // Hands PATH the reports of what the device holds, without waiting; false when the device is
  // gone (ERROR ENODEV) or cannot be read (ERROR another errno). The touch is not ended: see End.
  bool Read(TouchPath& path, int& error);
  // The device broker's words when it took the device back (the person's session is no longer the
  // active one), "" when it did not.
  std::string TakenBack() const { return lease_ ? qx::TakenBack(lease_.get()) : ""; }
  // A touch still down lifts where it was: the device is being let go.
  void End(TouchPath& path);

  const std::string& node() const { return node_; }
  const std::string& name() const { return name_; }
  const TouchAxes& axes() const { return axes_; }
  TouchscreenIdentity Identity() const;
  PanelFacts Panel() const;
  // The device's side of the controller's facts: bus, identity, name, where it hangs, firmness.
  ControllerFacts Facts() const;
  // "NAME (NODE), X 0..4095, Y 0..4095".
  std::string Describe() const;
  // What else a device taken as vouched for looks like ("it is a tablet, not on the screen"), ""
  // when it looks like a touchscreen.
  const std::string& Looks() const { return looks_; }

 private:
  EvdevTouchscreen(OpenedNode opened, libevdev* dev, std::string node);
  void TakeState();

  UniqueFd fd_;
  UniqueFd lease_;  // the device broker's, while it lets the service have the device
  libevdev* dev_;
  std::string node_;
  std::string name_;
  TouchAxes axes_{};
  std::string looks_;
  Firmness firmness_;
  TouchDecoder decoder_;
};

}  // namespace qx
