// What the touch side takes from the machine root: the input a setting names ("simulated",
// "auto", a path, a touchscreen's name), and the setting kept for the service's next start. The
// service's start gives the touch side the root's; without one, only the simulated finger is there.
#pragma once

#include <memory>
#include <string>

#include "device/input_setting.h"
#include "device/touch_input.h"

namespace qx {

class TouchSetup {
 public:
  virtual ~TouchSetup() = default;
  // The input USE names, started, into INPUT: nothing for "simulated" (the finger alone). False
  // with WHY when USE names no input that can be had (not a value the setting takes, or a path
  // that is no touchscreen); a touchscreen that is not there yet is an input all the same.
  virtual bool MakeInput(const std::string& use, std::unique_ptr<TouchInput>& input, std::string& why) = 0;
  // Keeps USE as the root's input setting; false when it cannot be written.
  virtual bool KeepInput(const std::string& use) = 0;
  // The monitor the root keeps for the touchscreen (qxctl map-to-output), and keeps it.
  virtual MonitorChoice Monitor() const = 0;
  virtual bool KeepMonitor(const MonitorChoice& monitor) = 0;
};

}  // namespace qx
