#include "device/steady_filter.h"

#include <algorithm>
#include <cstdlib>

namespace qx {

SteadyFilter::Point SteadyFilter::Steady(Point p) {
  if (std::max(std::abs(p.x - zone_.x), std::abs(p.y - zone_.y)) <= strength_) return {zone_.x, zone_.y, p.touching};
  zone_ = p;
  return p;
}

bool SteadyFilter::Far(Point a, Point b) const {
  const int limit = std::max(kLeastSpike, kSpikeStrengths * strength_);
  return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)) > limit;
}

void SteadyFilter::LetGo(Passed& out) {
  if (!held_) return;
  out.Add(Steady(*held_));
  before_ = *held_;
  held_.reset();
}

SteadyFilter::Passed SteadyFilter::Take(Point report, Time now) {
  Passed out;
  if (strength_ == 0 || !report.touching || !down_) {
    LetGo(out);
    // A lift-off comes through the dead zone too: a still finger lifts where it stood.
    out.Add(strength_ > 0 && down_ ? Steady(report) : report);
    down_ = report.touching;
    zone_ = before_ = out.points[out.count - 1];
    return out;
  }
  if (held_) {
    if (Far(*held_, before_) && Far(*held_, report) && !Far(before_, report)) {
      out.dropped = held_;
      held_.reset();
    } else {
      LetGo(out);
    }
  }
  held_ = report;
  heldAt_ = now;
  return out;
}

std::optional<SteadyFilter::Time> SteadyFilter::NextDue() const {
  if (!held_) return std::nullopt;
  return heldAt_ + kHoldLimit;
}

SteadyFilter::Passed SteadyFilter::Wake(Time now) {
  Passed out;
  if (held_ && (now >= heldAt_ + kHoldLimit || strength_ == 0)) LetGo(out);
  return out;
}

}  // namespace qx
