// The machine root's touch setup: the input setting in the root's device/input.ini, and the
// touchscreen inputs it names, which remember there the touchscreen they take.
#pragma once

#include <string>

#include "device/input_setting.h"
#include "device/touch_setup.h"

namespace qx {

class RootTouchSetup : public TouchSetup {
 public:
  // FILE: the root's input.ini.
  explicit RootTouchSetup(std::string file) : file_(std::move(file)) {}

  InputSetting Setting() const { return LoadInputSetting(file_); }
  bool MakeInput(const std::string& use, std::unique_ptr<TouchInput>& input, std::string& why) override;
  bool KeepInput(const std::string& use) override { return SaveInputUse(file_, use); }
  MonitorChoice Monitor() const override { return Setting().monitor; }
  bool KeepMonitor(const MonitorChoice& monitor) override { return SaveMonitorChoice(file_, monitor); }

 private:
  std::string file_;
};

}  // namespace qx
