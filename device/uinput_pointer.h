// A virtual absolute pointer of the kernel's uinput, made with libevdev, for Wayland sessions and
// consoles where no X server takes XTest: "QX-COM touch pointer", with ABS_X and ABS_Y over the
// screen the touch path maps to (the block's ScreenWidth × ScreenHeight, made again with the new
// axes when that changes), BTN_LEFT and BTN_RIGHT. It has no bell.
#pragma once

#include <memory>
#include <string>

#include "core/settings_block.h"
#include "device/pointer_output.h"

struct libevdev_uinput;

namespace qx {

class UinputPointer : public PointerOutput {
 public:
  static constexpr const char* kName = "QX-COM touch pointer";

  // Opens /dev/uinput and makes the device over SCREEN (which outlives it); nothing, with the
  // reason in WHY, when it cannot.
  static std::unique_ptr<UinputPointer> Create(const SettingsBlock& screen, std::string& why);
  ~UinputPointer() override;
  UinputPointer(const UinputPointer&) = delete;
  UinputPointer& operator=(const UinputPointer&) = delete;

  void Perform(const PointerAction& action) override;
  // "uinput (QX-COM touch pointer, /dev/input/event7)".
  std::string Describe() const override;

 private:
  explicit UinputPointer(const SettingsBlock& screen) : screen_(screen) {}
  // Makes the device over the screen's size as it is now; 0 or the negative errno.
  int MakeDevice();
  void Write(unsigned type, unsigned code, int value);

  const SettingsBlock& screen_;
  libevdev_uinput* device_ = nullptr;
  int width_ = 0;  // the screen size the device's axes were made for
  int height_ = 0;
};

}  // namespace qx
