#include "device/finger.h"

#include <algorithm>

#include "device/touch_path.h"

namespace qx {

Finger::Finger() : random_(std::random_device{}()) {}

void Finger::Press(std::int16_t x, std::int16_t y, std::uint16_t jitter, Time now) {
  down_ = true;
  x_ = x;
  y_ = y;
  jitter_ = jitter;
  due_ = now;
}

std::optional<Finger::Time> Finger::NextDue() const {
  if (!down_) return std::nullopt;
  return due_;
}

bool Finger::TakeDue(Time now) {
  if (!down_ || now < due_) return false;
  due_ += Period();
  if (due_ <= now) due_ = now + Period();
  return true;
}

void Finger::Wake(Time now, bool, TouchPath& path) {
  if (TakeDue(now)) path.Report(ReportX(), ReportY(), true);
}

std::int16_t Finger::Shaken(std::int16_t v) {
  if (!jitter_) return v;
  int shaken = v + std::uniform_int_distribution<int>(-jitter_, jitter_)(random_);
  if (v >= 0 && v <= 1023) shaken = std::clamp(shaken, 0, 1023);
  return static_cast<std::int16_t>(std::clamp(shaken, -32768, 32767));
}

}  // namespace qx
