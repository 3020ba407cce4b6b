#include "programs/panel/calibration_run.h"

#include <algorithm>
#include <iterator>

namespace qx {

namespace {

bool Touched(const TouchSample& sample) { return (sample.Status & TOUCH_BIT) != 0; }

}  // namespace

CalibrationRun::CalibrationRun(CalibrationView& view, CalibrationDriver& driver) : view_(view), driver_(driver) {}

bool CalibrationRun::Waiting() const {
  return phase_ == Phase::AwaitLiftAtStart || phase_ == Phase::AwaitTouch || phase_ == Phase::AwaitLift;
}

void CalibrationRun::Start(int mode) {
  if (phase_ != Phase::NotStarted) return;
  mode_ = mode;
  for (int i = 1; i <= 25; ++i) points_.PointX[i] = points_.PointY[i] = 0;
  // The companion program's rotation of the panel, valid 0..3; any other code counts as 0.
  SmiRegistration& smi = driver_.GetSmiRegistration();
  if (smi.RotationCode < 0 || smi.RotationCode > 3) smi.RotationCode = 0;
  rotation_ = smi.RotationCode;
  const SettingsBlock& block = driver_.Block();
  std::copy(std::begin(block.CalibrationData), std::end(block.CalibrationData), savedData_.begin());
  savedFlags_ = block.CalibrationFlags;
  view_.HidePointer();

  if (Touched(driver_.GetTouchSample())) {
    view_.ShowLiftOffPrompt("START CALIBRATION!");
    view_.SetTouchIndicator(true);
    driver_.SetCalibrationState(kStateTouchedAtStart);
    phase_ = Phase::AwaitLiftAtStart;
    driver_.StartPolls();
    return;
  }
  BeginTargets();
}

void CalibrationRun::Poll() {
  switch (phase_) {
    case Phase::AwaitLiftAtStart: WaitForLiftAtStart(); break;
    case Phase::AwaitTouch: WaitForTouch(); break;
    case Phase::AwaitLift: WaitForLift(); break;
    default: driver_.StopPolls(); break;
  }
}

void CalibrationRun::PressEsc() {
  if (Waiting()) escPending_ = true;
}

void CalibrationRun::Abandon() {
  if (Waiting()) {
    driver_.StopPolls();
    phase_ = Phase::Over;
    driver_.SetCalibrationState(kStateBroken);
  }
  if (phase_ == Phase::NotStarted) phase_ = Phase::Over;
}

// A finger that never lifts must not hold the person in the window: a break confirmed here ends
// the run as it would at a target.
void CalibrationRun::WaitForLiftAtStart() {
  if (!StillWaitingAfterEsc()) return;
  if (breakRequested_) return Broken();
  if (!Touched(driver_.GetTouchSample())) BeginTargets();
}

void CalibrationRun::BeginTargets() {
  view_.SetTouchIndicator(false);
  breakRequested_ = false;
  if (mode_ != CornerMethod && mode_ != SideMethod) {
    driver_.StopPolls();
    phase_ = Phase::Finishing;
    const std::weak_ptr<bool> alive = life_;
    view_.RefuseMode("Fail to calibration! ( mode " + std::to_string(mode_) + " not support )");
    if (!alive.expired()) EndRun();
    return;
  }
  method_ = static_cast<CalibrationMethod>(mode_);
  AcquirePoint(FirstTarget(method_));
  driver_.StartPolls();
}

void CalibrationRun::AcquirePoint(int index) {
  currentPoint_ = index;
  view_.DrawTarget(index, true);
  view_.ShowTouchPrompt(TargetNames[index]);
  lastCounter_ = 0;
  countToReset_ = true;
  phase_ = Phase::AwaitTouch;
}

void CalibrationRun::ResetCount() {
  stableCount_ = 2;
  previousX_ = previousY_ = 0;
  touched_ = false;
}

// One poll while a target waits. A lift starts the wait afresh; a touch is counted by
// CountSteadyTouch.
void CalibrationRun::WaitForTouch() {
  if (countToReset_) {
    countToReset_ = false;
    if (!StillWaitingAfterEsc()) return;
    view_.SetTouchIndicator(false);
    ResetCount();
  }
  sample_ = driver_.GetTouchSample();
  if (!Touched(sample_)) {
    lastCounter_ = sample_.Counter;
    if (!StillWaitingAfterEsc()) return;
    if (breakRequested_) return Broken();
    if (touched_) view_.SetTouchIndicator(false);
    ResetCount();
    return;
  }
  if (!touched_) {
    touched_ = true;
    view_.SetTouchIndicator(true);
    if (!StillWaitingAfterEsc()) return;
  }
  CountSteadyTouch();
}

// A point is taken when the position has stayed exactly the same over two fresh reports (a
// changed report counter); any move starts the count again. The counter is remembered while the
// panel is released and at each count, not when a new position comes, so the report that brought
// a position usually counts as the first of the two.
void CalibrationRun::CountSteadyTouch() {
  if (sample_.X != previousX_ || sample_.Y != previousY_) {
    previousX_ = sample_.X;
    previousY_ = sample_.Y;
    stableCount_ = 2;
    return;
  }
  if (sample_.Counter != lastCounter_) {
    lastCounter_ = sample_.Counter;
    --stableCount_;
  } else {
    // No fresh report: a dead or stuck driver answers like this for ever, so the person must be
    // able to break off here too.
    if (!StillWaitingAfterEsc()) return;
    if (breakRequested_) return Broken();
  }
  if (stableCount_ <= 0) Accept();
}

void CalibrationRun::Accept() {
  points_.PointX[currentPoint_] = sample_.X;
  points_.PointY[currentPoint_] = sample_.Y;
  driver_.SetCalibrationState(kStatePointTaken);
  view_.DrawTarget(currentPoint_, false);
  view_.ShowLiftOffPrompt("NEXT STEP!");
  phase_ = Phase::AwaitLift;
}

void CalibrationRun::WaitForLift() {
  if (!Touched(driver_.GetTouchSample())) {
    view_.SetTouchIndicator(false);
    return Taken();
  }
  if (!StillWaitingAfterEsc()) return;
  if (breakRequested_) Broken();
}

void CalibrationRun::Taken() {
  const int next = currentPoint_ + 1;
  if (next < FirstTarget(method_) + 4) AcquirePoint(next);
  else Finish();
}

void CalibrationRun::Broken() {
  driver_.SetCalibrationState(kStateBroken);
  EndRun();
}

void CalibrationRun::Finish() {
  driver_.StopPolls();
  phase_ = Phase::Finishing;
  const std::weak_ptr<bool> alive = life_;
  const SettingsBlock& block = driver_.Block();
  const CalibrationResult result =
      ComputeCalibration(method_, block.ScreenWidth, block.ScreenHeight, rotation_, points_);
  if (!result.ok) {
    view_.ShowFailure(result.message);
    if (!alive.expired()) EndRun();
    return;
  }
  PutInForce(result.CalibrationData, result.CalibrationFlags);
  view_.ShowCompletion();
  driver_.SetCalibrationState(kStateIdle);
  const bool keep = view_.AskKeep();
  if (alive.expired()) return;
  if (!keep) {
    // The previous calibration back, exactly as it was in the block before the run.
    view_.ShowHourglass(true);
    PutInForce(savedData_, savedFlags_);
    view_.ShowHourglass(false);
  }
  EndRun();
}

// DATA's six values and FLAGS into the block, then SetCalibration: the driver maps touches by them
// from here on.
void CalibrationRun::PutInForce(const std::array<std::int16_t, 6>& data, std::uint8_t flags) {
  SettingsBlock& block = driver_.Block();
  std::copy(data.begin(), data.end(), block.CalibrationData);
  block.CalibrationFlags = flags;
  driver_.SetCalibration();
}

void CalibrationRun::EndRun() {
  driver_.StopPolls();
  phase_ = Phase::Over;
  view_.Unload();
}

bool CalibrationRun::StillWaitingAfterEsc() {
  if (escPending_) {
    escPending_ = false;
    const std::weak_ptr<bool> alive = life_;
    ConfirmBreak();
    if (alive.expired()) return false;
  }
  return Waiting();
}

void CalibrationRun::ConfirmBreak() {
  driver_.StopPolls();  // no poll while the question is open
  driver_.SetCalibrationState(kStateIdle);
  // Only a target that was on show comes back: one already taken stays erased.
  const bool shown = phase_ == Phase::AwaitTouch;
  view_.DrawTarget(currentPoint_, false);
  const std::weak_ptr<bool> alive = life_;
  const bool yes = view_.AskBreak();
  if (alive.expired() || !Waiting()) return;  // the window was closed meanwhile
  breakRequested_ = yes;
  if (shown) view_.DrawTarget(currentPoint_, true);
  driver_.StartPolls();
}

}  // namespace qx
