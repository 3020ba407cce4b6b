// The touch decoder: events in, one report per frame out, as the header says.
#include "device/touch_decoder.h"

#include <linux/input.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "device/touch_path.h"

namespace qx {

namespace {

// More slots than any panel has; a description claiming more is held to this, and a protocol-A
// frame's contacts too.
constexpr std::size_t kMaxSlots = 64;

struct Pair {
  std::int64_t distance;
  std::size_t from, to;
};

// The contact of NOW that the contact FOLLOWED of BEFORE moved to, pairing the contacts of the two
// frames nearest first; -1 when it has none (it lifted).
int PartnerOf(const auto& before, std::size_t followed, const auto& now) {
  std::vector<Pair> pairs;
  for (std::size_t i = 0; i < before.size(); ++i)
    for (std::size_t j = 0; j < now.size(); ++j) {
      const std::int64_t dx = std::int64_t(before[i].x) - now[j].x, dy = std::int64_t(before[i].y) - now[j].y;
      pairs.push_back({dx * dx + dy * dy, i, j});
    }
  std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.distance < b.distance; });
  std::vector<bool> fromTaken(before.size()), toTaken(now.size());
  for (const Pair& p : pairs) {
    if (fromTaken[p.from] || toTaken[p.to]) continue;
    if (p.from == followed) return static_cast<int>(p.to);
    fromTaken[p.from] = toTaken[p.to] = true;
  }
  return -1;
}

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
    // The contacts a protocol-A frame listed before the drop go with it.
    frame_.clear();
    frameListed_ = contactHas_ = false;
    return;
  }
  if (type == EV_SYN && code == SYN_REPORT) {
    if (!dropping_) EndFrame(path);
    dropping_ = false;
    return;
  }
  if (type == EV_SYN && code == SYN_MT_REPORT) {
    if (!dropping_) EndContact();
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
  if (!multitouch_ && (code == ABS_MT_POSITION_X || code == ABS_MT_POSITION_Y)) {
    (code == ABS_MT_POSITION_X ? contact_.x : contact_.y) = value;
    contactHas_ = true;
    return;
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

void TouchDecoder::EndContact() {
  listed_ = frameListed_ = true;
  // An empty report (no position since the last) lists no contact: what a frame without fingers
  // holds.
  if (contactHas_ && frame_.size() < kMaxSlots) frame_.push_back(contact_);
  contactHas_ = false;
}

bool TouchDecoder::FollowListed() {
  // A frame that lists nothing holds the contacts of the last while the panel is touched (a frame
  // of other events), none once BTN_TOUCH is up.
  std::vector<Point> now = frameListed_ ? std::move(frame_) : button_ ? contacts_ : std::vector<Point>{};
  frame_.clear();
  frameListed_ = false;
  if (followed_ >= 0) followed_ = PartnerOf(contacts_, static_cast<std::size_t>(followed_), now);
  if (followed_ < 0 && touching_) waitAllUp_ = true;
  if (waitAllUp_ && now.empty()) waitAllUp_ = false;
  if (followed_ < 0 && !waitAllUp_ && !now.empty()) followed_ = 0;
  contacts_ = std::move(now);
  return followed_ >= 0;
}

void TouchDecoder::EndFrame(TouchPath& path) {
  // A touch too light for the sensitivity in force is no touch (and ends one that was).
  bool touching = multitouch_ ? FollowContact() : listed_ ? FollowListed() : button_;
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

std::int16_t TouchDecoder::FollowedX() const {
  if (multitouch_) return Rescale(slots_[followed_].x, axes_.SlotX);
  if (listed_) return Rescale(contacts_[followed_].x, axes_.SlotX);
  return Rescale(x_, axes_.X);
}

std::int16_t TouchDecoder::FollowedY() const {
  if (multitouch_) return Rescale(slots_[followed_].y, axes_.SlotY);
  if (listed_) return Rescale(contacts_[followed_].y, axes_.SlotY);
  return Rescale(y_, axes_.Y);
}

void TouchDecoder::Report(TouchPath& path, bool touching) {
  // A lift is reported where the touch last was.
  if (touching) {
    const std::int16_t x = FollowedX();
    const std::int16_t y = FollowedY();
    // A resting finger trembles by a device unit or two, which the controller does not report.
    const bool tremor = touching_ && std::abs(x - lastX_) <= kRestingTremor && std::abs(y - lastY_) <= kRestingTremor;
    if (!tremor) {
      lastX_ = x;
      lastY_ = y;
    }
  }
  touching_ = touching;
  path.Report(lastX_, lastY_, touching);
}

void TouchDecoder::End(TouchPath& path) {
  if (touching_) Report(path, false);
  followed_ = -1;
  button_ = false;
  for (Slot& s : slots_) s.id = -1;
  contacts_.clear();
}

}  // namespace qx
