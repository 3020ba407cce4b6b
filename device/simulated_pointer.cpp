// The simulated pointer: the position and right clicks it keeps from the actions it is handed.
#include "device/simulated_pointer.h"

#include <string>

namespace qx {

void SimulatedPointer::Perform(const PointerAction& action) {
  switch (action.kind) {
    case PointerAction::Kind::kMove:
      x_ = action.x;
      y_ = action.y;
      break;
    case PointerAction::Kind::kPress:
      if (action.button != PointerButton::kRight) break;
      ++rightClicks_;
      journal_.Add(0, "RightButtonAction", "PointerX=" + std::to_string(x_) + " PointerY=" + std::to_string(y_));
      break;
    case PointerAction::Kind::kRelease:
    case PointerAction::Kind::kBell: break;
  }
}

}  // namespace qx
