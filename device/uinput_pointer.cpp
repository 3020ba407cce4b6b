#include "device/uinput_pointer.h"

#include <linux/input.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "host/uinput_device.h"

namespace qx {

namespace {

// How long a device that could not be had is left alone before the next touch asks again.
constexpr std::chrono::seconds kRetry{2};

}  // namespace

std::unique_ptr<UinputPointer> UinputPointer::Create(const SettingsBlock& screen, const ScreenPlacement& placement,
                                                     std::string& why) {
  std::unique_ptr<UinputPointer> output(new UinputPointer(screen, placement));
  if (output->MakeDevice()) return output;
  why = output->lost_;
  return nullptr;
}

bool UinputPointer::MakeDevice() {
  device_.reset();  // the old one first: the broker makes one a user
  width_ = AxisWidth();
  height_ = AxisHeight();
  axisWidth_ = std::min(width_, kMaxPointerAxis);
  axisHeight_ = std::min(height_, kMaxPointerAxis);
  if ((axisWidth_ != width_ || axisHeight_ != height_) && !std::exchange(cutSaid_, true))
    std::fprintf(stderr,
                 "qxwmecomd: pointer output: the desktop (%dx%d) is larger than a uinput pointer's axes (at most "
                 "%d): its positions are scaled onto %dx%d\n",
                 width_, height_, kMaxPointerAxis, axisWidth_, axisHeight_);
  at_.reset();
  device_ = PointerDevice::Make(axisWidth_, axisHeight_, lost_);
  if (device_) lost_.clear();
  else retryAt_ = std::chrono::steady_clock::now() + kRetry;
  return device_ != nullptr;
}

bool UinputPointer::Ready(const PointerAction& action) {
  if (action.kind == PointerAction::Kind::kMove && (AxisWidth() != width_ || AxisHeight() != height_))
    return MakeDevice();  // the desktop or the screen changed size: axes over the new one
  if (device_) return true;
  return std::chrono::steady_clock::now() >= retryAt_ && MakeDevice();
}

void UinputPointer::Add(unsigned type, unsigned code, int value) {
  frame_.push_back({static_cast<std::uint16_t>(type), static_cast<std::uint16_t>(code), value});
}

void UinputPointer::Perform(const PointerAction& action) {
  if (action.kind == PointerAction::Kind::kBell || !Ready(action)) return;
  frame_.clear();
  if (action.kind == PointerAction::Kind::kMove) {
    // The monitor's share of the desktop: its offset in the desktop, its pixels scaled to its size.
    const ScreenRect& m = placement_.monitor;
    if (!placement_.known) MoveTo(action.x, action.y);
    else
      MoveTo(m.x - placement_.desktop.x + ScalePixel(action.x, screen_.ScreenWidth, m.width),
             m.y - placement_.desktop.y + ScalePixel(action.y, screen_.ScreenHeight, m.height));
  } else {
    Add(EV_KEY, action.button == PointerButton::kLeft ? BTN_LEFT : BTN_RIGHT,
        action.kind == PointerAction::Kind::kPress ? 1 : 0);
  }
  Add(EV_SYN, SYN_REPORT, 0);
  if (device_->Write(frame_, lost_)) return;
  std::fprintf(stderr, "qxwmecomd: pointer output: uinput lost (%s)\n", lost_.c_str());
  device_.reset();
  retryAt_ = std::chrono::steady_clock::now() + kRetry;
}

void UinputPointer::MoveTo(int x, int y) {
  x = ScalePixel(x, width_, axisWidth_);
  y = ScalePixel(y, height_, axisHeight_);
  if (at_ == std::pair(x, y)) Add(EV_ABS, ABS_X, x > 0 ? x - 1 : x + 1);
  Add(EV_ABS, ABS_X, x);
  Add(EV_ABS, ABS_Y, y);
  at_ = {x, y};
}

std::string UinputPointer::Describe() const {
  if (!device_) return "none (uinput: " + lost_ + ")";
  const std::string node = device_->node().empty() ? "" : ", " + device_->node();
  return std::string("uinput (") + kPointerDeviceName + node + ")" +
         (device_->brokered() ? ", from the device broker" : "");
}

}  // namespace qx
