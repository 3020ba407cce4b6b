#include "device/report_pace.h"

#include "device/touch_path.h"

namespace qx {

std::optional<ReportPace::Time> ReportPace::NextDue(std::chrono::nanoseconds period) const {
  if (!repeating_) return std::nullopt;
  return last_ + period;
}

void ReportPace::Wake(Time now, std::chrono::nanoseconds period, TouchPath& path) {
  if (!repeating_ || now < last_ + period) return;
  last_ = now;
  path.Report(path.sample().X, path.sample().Y, true, now);
}

}  // namespace qx
