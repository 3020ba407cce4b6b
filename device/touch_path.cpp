// The touch path: what one raw report does to the sample, the journal and the pointer outputs.
#include "device/touch_path.h"

namespace qx {

void TouchPath::Report(std::int16_t x, std::int16_t y, bool touching, Time now) {
  const bool touchDown = touching && !this->touching();
  const bool liftOff = !touching && this->touching();
  sample_.X = x;
  sample_.Y = y;
  sample_.Status = touching ? TOUCH_BIT : 0;
  sample_.Counter = static_cast<std::int16_t>(sample_.Counter + 1);
  const ScreenPoint p = MapRawTurned(settings_, calibratedAt_, rotation_, x, y);
  journal_.AddReport({x, y, touching, sample_.Counter, p.x, p.y});
  if (touchDown) {
    gesture_.Down(p, now);
  } else if (liftOff) {
    gesture_.Up(p);
  } else {
    gesture_.Move(p);
  }
}

void TouchPath::CountUnmade(std::size_t count) { sample_.Counter = static_cast<std::int16_t>(sample_.Counter + count); }

std::optional<TouchPath::Time> TouchPath::NextDue() const {
  std::optional<Time> due = gesture_.NextDue();
  for (const PointerOutput* output : outputs_) {
    std::optional<Time> its = output->NextDue();
    if (its && (!due || *its < *due)) due = its;
  }
  return due;
}

void TouchPath::Wake(Time now) {
  gesture_.Wake(now);
  for (PointerOutput* output : outputs_) output->Wake(now);
}

void TouchPath::Emit(const PointerAction& action) {
  for (PointerOutput* output : outputs_) output->Perform(action);
}

}  // namespace qx
