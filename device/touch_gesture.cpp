#include "device/touch_gesture.h"

#include <algorithm>
#include <cstdlib>

namespace qx {

namespace {

enum TouchModes : int { kStream = 1, kLiftOff = 2, kTouchDown = 3, kDragDrop = 4 };
enum SoundModes : int { kSoundDown = 2, kSoundUp = 3, kSoundBoth = 4 };

// "Toggle On" and "Toggle Off": index i of the dialog's list stands for (i + 1) × 0.5 s.
std::chrono::milliseconds ToggleTime(int index) {
  return std::chrono::milliseconds(500 * (std::clamp(index, 0, 9) + 1));
}

}  // namespace

bool TouchGesture::AutomaticRightButton() const {
  return settings_.TouchMode == kDragDrop && settings_.RbfEnable == 1 && settings_.RbfAutoMode == 1;
}

void TouchGesture::Down(ScreenPoint p, Time now) {
  now_ = now;
  const bool armed = rightButton_.Armed == 1;
  if (armed) doubleTap_.Forget();
  else p = doubleTap_.Down(p, now);
  // Wherever the last touch left the pointer, something else may have moved it since (a mouse, a
  // desktop that came back): a touch begins by putting it under the finger.
  moved_ = false;
  MoveTo(p);
  origin_ = p;
  wandered_ = false;
  if (armed) {
    // The armed right button takes this touch instead of the mode; the rest of it only points.
    rightButton_.Armed = 0;
    Click(PointerButton::kRight);
    phase_ = Phase::kFollowing;
  } else {
    TouchModeDown(now);
  }
  if (settings_.SoundMode == kSoundDown || settings_.SoundMode == kSoundBoth) Beep();
}

void TouchGesture::TouchModeDown(Time now) {
  switch (settings_.TouchMode) {
    case kStream:
      Press(PointerButton::kLeft);
      phase_ = Phase::kLeftHeld;
      return;
    case kLiftOff: phase_ = Phase::kClickOnLift; return;
    case kTouchDown:
      Click(PointerButton::kLeft);
      phase_ = Phase::kFollowing;
      return;
    case kDragDrop:
      // With the automatic right button, the left press waits until the finger moves (a drag from
      // here) or lifts (a click here): a finger held still gets the right button alone, with no
      // stray left click before it.
      if (AutomaticRightButton()) {
        phase_ = Phase::kStill;
        due_ = now + ToggleTime(settings_.RbfAutoSTime);
      } else {
        Press(PointerButton::kLeft);
        phase_ = Phase::kLeftHeld;
      }
      return;
    default: phase_ = Phase::kFollowing; return;  // a mode the service does not know: only points
  }
}

void TouchGesture::Move(ScreenPoint p, Time now) {
  now_ = now;
  p = doubleTap_.Place(p);
  // A finger held still shakes a little: the pointer stays where it went down (and the right
  // button presses there) until the finger leaves the still area.
  if (!wandered_ && (phase_ == Phase::kStill || phase_ == Phase::kRightHeld)) {
    if (std::abs(p.x - origin_.x) <= kStillSlop && std::abs(p.y - origin_.y) <= kStillSlop) return;
    wandered_ = true;
    if (phase_ == Phase::kStill) {
      // Moved before Toggle On: an ordinary drag, from where the finger went down.
      Press(PointerButton::kLeft);
      phase_ = Phase::kLeftHeld;
    }
  }
  MoveTo(p);
}

void TouchGesture::Up(ScreenPoint p, Time now) {
  Move(p, now);
  switch (phase_) {
    case Phase::kLeftHeld: Release(PointerButton::kLeft); break;
    case Phase::kClickOnLift:
    case Phase::kStill: Click(PointerButton::kLeft); break;
    case Phase::kRightHeld: Release(PointerButton::kRight); break;
    case Phase::kLifted:
    case Phase::kFollowing: break;
  }
  phase_ = Phase::kLifted;
  if (settings_.SoundMode == kSoundUp || settings_.SoundMode == kSoundBoth) Beep();
}

void TouchGesture::Cancel() {
  if (phase_ == Phase::kLeftHeld) Release(PointerButton::kLeft);
  if (phase_ == Phase::kRightHeld) Release(PointerButton::kRight);
  phase_ = Phase::kLifted;
  doubleTap_.Forget();
}

std::optional<TouchGesture::Time> TouchGesture::NextDue() const {
  if (phase_ == Phase::kStill || phase_ == Phase::kRightHeld) return due_;
  return std::nullopt;
}

void TouchGesture::Wake(Time now) {
  now_ = now;
  if (phase_ == Phase::kStill && now >= due_ && !AutomaticRightButton()) {
    // The automatic right button was paused or switched off while the finger was held still (the
    // control panel pauses it for calibration): no right button, the touch goes on as a plain Drag
    // Drop touch, its left press held from where the finger went down.
    Press(PointerButton::kLeft);
    phase_ = Phase::kLeftHeld;
  } else if (phase_ == Phase::kStill && now >= due_) {
    if (settings_.RbfAutoBeep == 1) Beep();
    Press(PointerButton::kRight);
    phase_ = Phase::kRightHeld;
    due_ += ToggleTime(settings_.RbfAutoETime);
  } else if (phase_ == Phase::kRightHeld && now >= due_) {
    // Held past Toggle Off: the right button goes, the finger goes on as a plain pointer.
    Release(PointerButton::kRight);
    phase_ = Phase::kFollowing;
  }
}

void TouchGesture::MoveTo(ScreenPoint p) {
  // A report that repeats the last place (a held finger, a burst) moves nothing.
  if (moved_ && p.x == pointer_.x && p.y == pointer_.y) return;
  moved_ = true;
  pointer_ = p;
  emit_(PointerAction::MoveTo(p.x, p.y));
}

void TouchGesture::Press(PointerButton b) {
  // A left press may begin a tap; a right one ends any double tap.
  if (b == PointerButton::kLeft) doubleTap_.Pressed(pointer_, now_);
  else doubleTap_.Forget();
  emit_(PointerAction::Press(b));
}

void TouchGesture::Release(PointerButton b) {
  if (b == PointerButton::kLeft) doubleTap_.Released(pointer_);
  emit_(PointerAction::Release(b));
}

void TouchGesture::Click(PointerButton b) {
  Press(b);
  Release(b);
}

void TouchGesture::Beep() { emit_(PointerAction::Bell(settings_.SoundTone, settings_.SoundDuration)); }

}  // namespace qx
