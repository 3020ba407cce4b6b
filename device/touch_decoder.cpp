// The touch decoder: events in, one report per frame out, as the header says.
#include "device/touch_decoder.h"

#include <linux/input.h>

#include <algorithm>
#include <cmath>

#include "device/touch_path.h"

namespace qx {

namespace {

// More slots than any panel has; a description claiming more is held to this.
constexpr std::size_t kMaxSlots = 64;

}  // namespace

std::string AxesText(const TouchAxes& axes) {
  std::string text = "X " + std::to_string(axes.X.Minimum) + ".." + std::to_string(axes.X.Maximum) + ", Y " +
                     std::to_string(axes.Y.Minimum) + ".." + std::to_string(axes.Y.Maximum);
  return axes.Slots ? text + ", " + std::to_string(axes.Slots) + " contacts" : text;
}

std::int32_t FirmnessNeeded(int level, const AxisRange& range) {
  const long long span = static_cast<long long>(range.Maximum) - range.Minimum;
  return static_cast<std::int32_t>(range.Minimum + span * std::clamp(level, 0, 127) / 127);
}

TouchDecoder::TouchDecoder(const TouchAxes& axes, Firmness firmness)
    : axes_(axes),
      firmness_(firmness),
      multitouch_(axes.Slots > 0),
      slots_(std::min<std::size_t>(axes.Slots, kMaxSlots)) {
  x_ = axes.X.Minimum;
  y_ = axes.Y.Minimum;
}

std::int16_t TouchDecoder::Rescale(std::int32_t value, const AxisRange& axis) {
  if (axis.Maximum <= axis.Minimum) return 0;
  const double raw = (double(value) - axis.Minimum) * 1023.0 / (double(axis.Maximum) - axis.Minimum);
  return static_cast<std::int16_t>(std::clamp<long>(std::lround(raw), 0, 1023));
}

void TouchDecoder::Take(std::uint16_t type, std::uint16_t code, std::int32_t value, TouchPath& path) {
  if (type == EV_SYN && code == SYN_DROPPED) {
    dropping_ = true;
    return;
  }
  if (type == EV_SYN && code == SYN_REPORT) {
    if (!dropping_) EndFrame(path);
    dropping_ = false;
    return;
  }
  if (!dropping_) Hold(type, code, value);
}

void TouchDecoder::Seed(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  if (type != EV_SYN) Hold(type, code, value);
}

void TouchDecoder::Hold(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  if (type == EV_KEY && code == BTN_TOUCH) button_ = value != 0;
  if (type == EV_ABS) HoldAbs(code, value);
}

void TouchDecoder::HoldAbs(std::uint16_t code, std::int32_t value) {
  if (code == firmness_.code && code == ABS_PRESSURE) singleFirmness_ = value;
  if (code == firmness_.code && value > firmness_.range.Minimum) firmnessSaid_ = true;
  switch (code) {
    case ABS_X: x_ = value; return;
    case ABS_Y: y_ = value; return;
    case ABS_MT_SLOT:
      // A slot beyond the device's own is not followed: its events go nowhere.
      slot_ = value >= 0 ? static_cast<std::size_t>(value) : slots_.size();
      return;
    default: break;
  }
  if (slot_ >= slots_.size()) return;
  Slot& s = slots_[slot_];
  if (code == ABS_MT_TRACKING_ID) s.id = value;
  if (code == ABS_MT_POSITION_X) s.x = value;
  if (code == ABS_MT_POSITION_Y) s.y = value;
  if (code == firmness_.code) s.firmness = value;
}

bool TouchDecoder::FirmEnough(const TouchPath& path) const {
  // Some devices have the axis and never say anything on it: their touches count as they come.
  if (firmness_.code == 0 || !firmnessSaid_) return true;
  const std::int32_t firmness =
      multitouch_ && firmness_.code != ABS_PRESSURE ? slots_[followed_].firmness : singleFirmness_;
  return firmness >= FirmnessNeeded(127 - path.settings().Sensitivity, firmness_.range);
}

void TouchDecoder::EndFrame(TouchPath& path) {
  // A touch too light for the sensitivity in force is no touch (and ends one that was).
  bool touching = multitouch_ ? FollowContact() : button_;
  if (touching && !FirmEnough(path)) touching = false;
  // Frames while nothing touches, after the one that ended the touch, make no report.
  if (touching || touching_) Report(path, touching);
}

bool TouchDecoder::FollowContact() {
  if (followed_ >= 0 && slots_[followed_].id != followedId_) {
    followed_ = -1;
    waitAllUp_ = true;
  }
  const auto down = [](const Slot& s) { return s.id >= 0; };
  if (waitAllUp_ && std::none_of(slots_.begin(), slots_.end(), down)) waitAllUp_ = false;
  if (followed_ < 0 && !waitAllUp_) {
    auto first = std::find_if(slots_.begin(), slots_.end(), down);
    if (first != slots_.end()) {
      followed_ = static_cast<int>(first - slots_.begin());
      followedId_ = first->id;
    }
  }
  return followed_ >= 0;
}

void TouchDecoder::Report(TouchPath& path, bool touching) {
  // A lift is reported where the touch last was.
  if (touching && multitouch_) {
    lastX_ = Rescale(slots_[followed_].x, axes_.SlotX);
    lastY_ = Rescale(slots_[followed_].y, axes_.SlotY);
  } else if (touching) {
    lastX_ = Rescale(x_, axes_.X);
    lastY_ = Rescale(y_, axes_.Y);
  }
  touching_ = touching;
  path.Report(lastX_, lastY_, touching);
}

void TouchDecoder::End(TouchPath& path) {
  if (touching_) Report(path, false);
  followed_ = -1;
  button_ = false;
  for (Slot& s : slots_) s.id = -1;
}

}  // namespace qx
