// A virtual absolute pointer of the kernel's uinput, for Wayland sessions and consoles where no X
// server takes XTest: the suite's pointer device "QX-COM touch pointer" (host/uinput_device.h),
// with ABS_X and ABS_Y over the whole desktop once the monitors are known (compositors stretch an
// absolute pointer over every monitor, so the touchscreen's monitor is its share of the axes;
// device/screen_placement.h), else over the screen the touch path maps to (the block's
// ScreenWidth × ScreenHeight); made again with new axes when that size changes; BTN_LEFT and
// BTN_RIGHT. An axis is at most 32768 long, as the kernel's uinput and the broker make it: a
// desktop wider or higher has its positions scaled onto it, as said once. It has no bell. The
// device comes from the device broker where the package's runs (host/device_opener.h); one it
// takes back is asked for again at the next touch, at most every two seconds.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings_block.h"
#include "device/pointer_output.h"
#include "device/screen_placement.h"
#include "host/device_opener.h"

namespace qx {

class UinputPointer : public PointerOutput {
 public:
  // Makes the device for SCREEN placed at PLACEMENT (both outlive it); nothing, with the reason in
  // WHY, when it cannot.
  static std::unique_ptr<UinputPointer> Create(const SettingsBlock& screen, const ScreenPlacement& placement,
                                               std::string& why);

  void Perform(const PointerAction& action) override;
  // "uinput (QX-COM touch pointer, /dev/input/event7)", with ", from the device broker" when it
  // made the device.
  std::string Describe() const override;

 private:
  UinputPointer(const SettingsBlock& screen, const ScreenPlacement& placement)
      : screen_(screen), placement_(placement) {}
  // The axes' size: the whole desktop's, else the screen's.
  int AxisWidth() const { return placement_.known ? placement_.desktop.width : screen_.ScreenWidth; }
  int AxisHeight() const { return placement_.known ? placement_.desktop.height : screen_.ScreenHeight; }
  // Makes the device over the axes' size as it is now; false with the reason in lost_.
  bool MakeDevice();
  // Whether a device is there to take the action: made again when the axes changed, or when it
  // was lost and the pause since is over.
  bool Ready(const PointerAction& action);
  void Add(unsigned type, unsigned code, int value);
  // The pointer to (X, Y) of the device's axes, in one frame: a position the device is at already
  // is written through a step beside it, since the kernel drops a value that does not change, and
  // the touch that lands there must still put the pointer under the finger.
  void MoveTo(int x, int y);

  const SettingsBlock& screen_;
  const ScreenPlacement& placement_;
  std::unique_ptr<PointerDevice> device_;
  std::string lost_;  // why there is no device
  std::chrono::steady_clock::time_point retryAt_{};
  std::vector<PointerEvent> frame_;  // the action's events, written at once
  int width_ = 0;                    // the size the device's axes were made for
  int height_ = 0;
  int axisWidth_ = 0;  // the axes made, at most kMaxPointerAxis: a desktop wider or higher is scaled
  int axisHeight_ = 0;
  bool cutSaid_ = false;
  std::optional<std::pair<int, int>> at_;  // where the device was put last
};

}  // namespace qx
