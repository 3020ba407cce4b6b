// The touch path: what one raw report does to the sample, the journal and the pointer outputs.
#include "device/touch_path.h"

#include <string>

namespace qx {

void TouchPath::SetOptions(const TouchOptions& options) {
  steady_.SetStrength(options.SteadyFinger);
  gesture_.doubleTap().Enable(options.DoubleTap != 0);
  const bool on = options.TouchOn != 0;
  if (on_ && !on && down_ && !ignored_) {
    // Switched off mid-touch: what the touch holds is let go now, the rest of it goes nowhere.
    gesture_.Cancel();
    Ignore({sample_.X, sample_.Y, true});
  }
  on_ = on;
}

void TouchPath::Report(std::int16_t x, std::int16_t y, bool touching, Time now) {
  sample_.X = x;
  sample_.Y = y;
  sample_.Status = touching ? TOUCH_BIT : 0;
  sample_.Counter = static_cast<std::int16_t>(sample_.Counter + 1);
  const ScreenPoint p = MapRawTurned(settings_, calibratedAt_, rotation_, x, y);
  journal_.AddReport({x, y, touching, sample_.Counter, p.x, p.y});
  Go(steady_.Take({x, y, touching}, now), now);
}

void TouchPath::Go(const SteadyFilter::Passed& passed, Time now) {
  if (passed.dropped)
    journal_.Add(0, "ReportDropped",
                 "X=" + std::to_string(passed.dropped->x) + " Y=" + std::to_string(passed.dropped->y));
  for (int i = 0; i < passed.count; ++i) Pass(passed.points[i], now);
}

void TouchPath::Pass(SteadyFilter::Point report, Time now) {
  const bool touchDown = report.touching && !down_;
  const bool liftOff = !report.touching && down_;
  down_ = report.touching;
  if (touchDown && !on_) Ignore(report);
  if (ignored_) {
    ignored_ = !liftOff;
    return;
  }
  const ScreenPoint p = MapRawTurned(settings_, calibratedAt_, rotation_, report.x, report.y);
  if (touchDown) {
    gesture_.Down(p, now);
  } else if (liftOff) {
    gesture_.Up(p, now);
  } else {
    gesture_.Move(p, now);
  }
}

// A line a touch: the journal says why the desktop got nothing.
void TouchPath::Ignore(SteadyFilter::Point report) {
  ignored_ = true;
  journal_.Add(0, "TouchIgnored", "X=" + std::to_string(report.x) + " Y=" + std::to_string(report.y) + " TouchOn=0");
}

void TouchPath::CountUnmade(std::size_t count) { sample_.Counter = static_cast<std::int16_t>(sample_.Counter + count); }

std::optional<TouchPath::Time> TouchPath::NextDue() const {
  std::optional<Time> due = steady_.NextDue();
  std::optional<Time> gesture = gesture_.NextDue();
  if (gesture && (!due || *gesture < *due)) due = gesture;
  for (const PointerOutput* output : outputs_) {
    std::optional<Time> its = output->NextDue();
    if (its && (!due || *its < *due)) due = its;
  }
  return due;
}

void TouchPath::Wake(Time now) {
  Go(steady_.Wake(now), now);
  gesture_.Wake(now);
  for (PointerOutput* output : outputs_) output->Wake(now);
}

void TouchPath::Emit(const PointerAction& action) {
  for (PointerOutput* output : outputs_) output->Perform(action);
}

}  // namespace qx
