// The calibration run of frmCalibration: the targets one after the other, a steady touch taken at
// each, the computation, the new values put in force, and the question whether to keep them.
#include <QPointer>
#include <algorithm>

#include "core/driver_link.h"
#include "core/settings_store.h"
#include "programs/panel/calibration_window.h"
#include "programs/panel/panel_program.h"
#include "ui/boxes.h"
#include "ui/pointer.h"

namespace qx {

namespace {

constexpr char kRunTitle[] = "TouchScreen Calibration";
constexpr char kBreakQuestion[] = "Are you sure you want to break calibration?";
constexpr char kCompleteQuestion[] =
    "CALIBRATION IS COMPLETE.\r\r"
    "For test, touch on the screen and check cursor position.\r"
    "To save new calibration, click Yes button.\r"
    "To restore old calibration, click No button.";

// The calibration states the driver is told of.
constexpr long kStateIdle = 0;  // Esc pressed, or the run complete
constexpr long kStateTouchedAtStart = 3;
constexpr long kStateBroken = 4;
constexpr long kStatePointTaken = 5;

bool Touched() { return (Touch.Status & TOUCH_BIT) != 0; }

}  // namespace

bool CalibrationWindow::Waiting() const {
  return phase_ == Phase::AwaitLiftAtStart || phase_ == Phase::AwaitTouch || phase_ == Phase::AwaitLift;
}

void CalibrationWindow::RunCalibration() {
  if (phase_ != Phase::NotStarted) return;
  for (int i = 1; i <= 25; ++i) points_.PointX[i] = points_.PointY[i] = 0;
  // The companion program's rotation of the panel, valid 0..3; any other code counts as 0.
  GetSmiRegistration();
  if (SmiRecord.RotationCode < 0 || SmiRecord.RotationCode > 3) SmiRecord.RotationCode = 0;
  std::copy(std::begin(Settings.CalibrationData), std::end(Settings.CalibrationData), savedData_.begin());
  savedFlags_ = Settings.CalibrationFlags;
  HideCursor();

  GetTouchSample();
  if (Touched()) {
    ShowLiftOffPrompt("START CALIBRATION!");
    SetTouchIndicator(true);
    SetCalibrationState(kStateTouchedAtStart);
    phase_ = Phase::AwaitLiftAtStart;
    poll_.start();
    return;
  }
  BeginTargets();
}

void CalibrationWindow::Tick() {
  switch (phase_) {
    case Phase::AwaitLiftAtStart: WaitForLiftAtStart(); break;
    case Phase::AwaitTouch: WaitForTouch(); break;
    case Phase::AwaitLift: WaitForLift(); break;
    default: poll_.stop(); break;
  }
}

// A finger that never lifts must not hold the person in the window: a break confirmed here ends
// the run as it would at a target.
void CalibrationWindow::WaitForLiftAtStart() {
  if (!LetEventsThrough()) return;
  if (breakRequested_) return Broken();
  GetTouchSample();
  if (!Touched()) BeginTargets();
}

void CalibrationWindow::BeginTargets() {
  SetTouchIndicator(false);
  breakRequested_ = false;
  if (CalibrationMode != CornerMethod && CalibrationMode != SideMethod) {
    poll_.stop();
    phase_ = Phase::Finishing;
    QPointer<CalibrationWindow> self(this);
    OkBox("Fail to calibration! ( mode " + std::to_string(CalibrationMode) + " not support )", kControlPanel.title);
    if (self) EndRun();
    return;
  }
  method_ = static_cast<CalibrationMethod>(CalibrationMode);
  AcquirePoint(FirstTarget(method_));
  poll_.start();
}

void CalibrationWindow::AcquirePoint(int index) {
  currentPoint_ = index;
  DrawTarget(index, true);
  ShowTouchPrompt(TargetNames[index]);
  lastCounter_ = 0;
  countToReset_ = true;
  phase_ = Phase::AwaitTouch;
}

void CalibrationWindow::ResetCount() {
  stableCount_ = 2;
  previousX_ = previousY_ = 0;
  touched_ = false;
}

// One poll while a target waits. A point is taken when the position has stayed exactly the same
// over two fresh reports (a changed report counter); any move starts the count again, a lift
// starts the wait afresh.
void CalibrationWindow::WaitForTouch() {
  if (countToReset_) {
    countToReset_ = false;
    if (!LetEventsThrough()) return;
    SetTouchIndicator(false);
    ResetCount();
  }
  GetTouchSample();
  if (!Touched()) {
    lastCounter_ = Touch.Counter;
    if (!LetEventsThrough()) return;
    if (breakRequested_) return Broken();
    if (touched_) SetTouchIndicator(false);
    ResetCount();
    return;
  }
  if (!touched_) {
    touched_ = true;
    SetTouchIndicator(true);
    if (!LetEventsThrough()) return;
  }
  if (Touch.X != previousX_ || Touch.Y != previousY_) {
    previousX_ = Touch.X;
    previousY_ = Touch.Y;
    stableCount_ = 2;
    return;
  }
  if (Touch.Counter != lastCounter_) {
    lastCounter_ = Touch.Counter;
    --stableCount_;
  } else {
    // No fresh report: a dead or stuck driver answers like this for ever, so the person must be
    // able to break off here too.
    if (!LetEventsThrough()) return;
    if (breakRequested_) return Broken();
  }
  if (stableCount_ <= 0) Accept();
}

void CalibrationWindow::Accept() {
  points_.PointX[currentPoint_] = Touch.X;
  points_.PointY[currentPoint_] = Touch.Y;
  SetCalibrationState(kStatePointTaken);
  DrawTarget(currentPoint_, false);
  ShowLiftOffPrompt("NEXT STEP!");
  phase_ = Phase::AwaitLift;
}

void CalibrationWindow::WaitForLift() {
  GetTouchSample();
  if (!Touched()) {
    SetTouchIndicator(false);
    return Taken();
  }
  if (!LetEventsThrough()) return;
  if (breakRequested_) Broken();
}

void CalibrationWindow::Taken() {
  const int next = currentPoint_ + 1;
  if (next < FirstTarget(method_) + 4) AcquirePoint(next);
  else Finish();
}

void CalibrationWindow::Broken() {
  SetCalibrationState(kStateBroken);
  EndRun();
}

void CalibrationWindow::Finish() {
  poll_.stop();
  phase_ = Phase::Finishing;
  QPointer<CalibrationWindow> self(this);
  const CalibrationResult result =
      ComputeCalibration(method_, Settings.ScreenWidth, Settings.ScreenHeight, SmiRecord.RotationCode, points_);
  if (!result.ok) {
    RestoreCursor();
    ErrorBox(result.message, CalibrationErrorTitle);
    if (!self) return;
    HideCursor();
    return EndRun();
  }
  ApplyNewCalibration(result);
  picCalibration->hide();
  RestoreCursor();
  SetCalibrationState(kStateIdle);
  const int answer = QuestionBox(kCompleteQuestion, 0, kRunTitle);
  if (!self) return;
  if (answer == IDNO) {
    Hourglass busy;
    RestoreOldCalibration();
  }
  EndRun();
}

void CalibrationWindow::ApplyNewCalibration(const CalibrationResult& result) {
  std::copy(result.CalibrationData.begin(), result.CalibrationData.end(), Settings.CalibrationData);
  Settings.CalibrationFlags = result.CalibrationFlags;
  SetCalibration();
}

void CalibrationWindow::RestoreOldCalibration() {
  std::copy(savedData_.begin(), savedData_.end(), Settings.CalibrationData);
  Settings.CalibrationFlags = savedFlags_;
  SetCalibration();
}

void CalibrationWindow::EndRun() {
  poll_.stop();
  phase_ = Phase::Over;
  RestoreCursor();
  close();
}

bool CalibrationWindow::LetEventsThrough() {
  if (escPending_) {
    escPending_ = false;
    QPointer<CalibrationWindow> self(this);
    ConfirmBreak();
    if (!self) return false;
  }
  return Waiting();
}

void CalibrationWindow::ConfirmBreak() {
  poll_.stop();  // no poll while the question is open
  SetCalibrationState(kStateIdle);
  const bool shown = targetShown_;
  DrawTarget(currentPoint_, false);
  picMesg->hide();
  lblHelp->hide();
  RestoreCursor();
  QPointer<CalibrationWindow> self(this);
  const int answer = QuestionBox(kBreakQuestion, MB_DEFBUTTON2, kRunTitle);
  if (!self || !Waiting()) return;  // the window was closed meanwhile
  breakRequested_ = answer == IDYES;
  HideCursor();
  lblHelp->show();
  picMesg->show();
  // Only a target that was on show comes back: one already taken stays erased.
  if (shown) DrawTarget(currentPoint_, true);
  poll_.start();
}

}  // namespace qx
