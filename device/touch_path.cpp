// The touch path: what one raw report does to the sample, the journal and the pointer outputs.
#include "device/touch_path.h"

namespace qx {

void TouchPath::Report(std::int16_t x, std::int16_t y, bool touching) {
  const bool touchDown = touching && !this->touching();
  sample_.X = x;
  sample_.Y = y;
  sample_.Status = touching ? TOUCH_BIT : 0;
  sample_.Counter = static_cast<std::int16_t>(sample_.Counter + 1);
  const ScreenPoint p = MapRawToScreen(settings_, x, y);
  journal_.AddReport({x, y, touching, sample_.Counter, p.x, p.y});
  // A report that repeats the last place (a held finger, a burst) moves nothing.
  if (!moved_ || p.x != pointer_.x || p.y != pointer_.y) {
    moved_ = true;
    pointer_ = p;
    Emit(PointerAction::MoveTo(p.x, p.y));
  }
  // The one-shot right button: the touch that lands while it is armed becomes the action.
  if (touchDown && rightButton_.Armed == 1) {
    rightButton_.Armed = 0;
    Emit(PointerAction::Press(PointerButton::kRight));
    Emit(PointerAction::Release(PointerButton::kRight));
  }
}

void TouchPath::CountUnmade(std::size_t count) { sample_.Counter = static_cast<std::int16_t>(sample_.Counter + count); }

void TouchPath::Emit(const PointerAction& action) {
  for (PointerOutput* output : outputs_) output->Perform(action);
}

}  // namespace qx
