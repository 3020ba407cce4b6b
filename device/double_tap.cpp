#include "device/double_tap.h"

#include <cstdlib>

#include "host/desktop.h"

namespace qx {

DoubleClickValues DesktopDoubleClick() {
  return {static_cast<int>(GetDoubleClickTime()), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)};
}

void DoubleTap::Enable(bool on) {
  on_ = on;
  if (!on_) Forget();
}

bool DoubleTap::Near(ScreenPoint a, ScreenPoint b) const {
  return 2 * std::abs(a.x - b.x) <= values_.width && 2 * std::abs(a.y - b.y) <= values_.height;
}

ScreenPoint DoubleTap::Down(ScreenPoint p, Time now) {
  pinned_.reset();
  if (!on_ || !source_) return p;
  if (!readAt_ || now - *readAt_ >= kReadEvery) {
    values_ = source_();
    readAt_ = now;
  }
  if (tap_ && now - tap_->when <= std::chrono::milliseconds(values_.time) && Near(p, tap_->at)) pinned_ = tap_->at;
  return pinned_ ? *pinned_ : p;
}

ScreenPoint DoubleTap::Place(ScreenPoint p) {
  if (pinned_ && Near(p, *pinned_)) return *pinned_;
  pinned_.reset();  // once out, the finger leads for the rest of the touch
  return p;
}

void DoubleTap::Pressed(ScreenPoint p, Time now) {
  if (on_) press_ = Click{p, now};
}

void DoubleTap::Released(ScreenPoint p) {
  if (press_ && Near(p, press_->at)) tap_ = press_;
  else tap_.reset();
  press_.reset();
}

void DoubleTap::Forget() {
  press_.reset();
  tap_.reset();
  pinned_.reset();
}

}  // namespace qx
