// One calibration run of the control panel, apart from the window that shows it: the targets of
// the chosen method one after the other, a steady raw touch taken at each, the four points turned
// into calibration values and put in force at once, and the question whether to keep them (Yes)
// or go back to the previous ones (No). Esc asks whether to break off.
//
// The run is driven from outside: Start() once, then Poll() on the schedule it asks its driver
// for (once a millisecond: each poll is one GetTouchSample and one step of the run), and PressEsc()
// whenever Esc is pressed. An Esc is kept until the run's next moment for the person (after a
// target is drawn, while the panel is not touched, while it waits for a lift, and whenever a
// touched panel brings no fresh report), where the break question is asked with the polls stopped;
// a confirmed break is noticed at the run's next wait. It holds no Qt: what it shows goes through
// CalibrationView, what it asks of the driver and of time through CalibrationDriver.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/calibration.h"
#include "core/driver_records.h"
#include "core/settings_block.h"

namespace qx {

// The driver's requests the run sends, the records they fill, and the polls' schedule.
class CalibrationDriver {
 public:
  virtual ~CalibrationDriver() = default;
  // The settings block as the driver last returned it; SetCalibration sends its calibration.
  virtual SettingsBlock& Block() = 0;
  virtual const TouchSample& GetTouchSample() = 0;
  virtual SmiRegistration& GetSmiRegistration() = 0;
  virtual void SetCalibrationState(long state) = 0;
  virtual void SetCalibration() = 0;
  // From StartPolls on, the run's Poll() is called once a millisecond (the first at once), between
  // the window's events, until StopPolls.
  virtual void StartPolls() = 0;
  virtual void StopPolls() = 0;
};

// What the run shows. Its boxes (AskBreak, RefuseMode, ShowFailure, AskKeep) let the window's
// events run while they are open, so the window may be closed, or deleted with the run, before
// they return; the run looks after itself.
class CalibrationView {
 public:
  virtual ~CalibrationView() = default;
  // Target 1..8 drawn or erased; any other index draws nothing.
  virtual void DrawTarget(int index, bool draw) = 0;
  virtual void ShowTouchPrompt(const std::string& name) = 0;
  virtual void ShowLiftOffPrompt(const std::string& text) = 0;
  virtual void SetTouchIndicator(bool touched) = 0;
  // The pointer hidden over the screen for the run.
  virtual void HidePointer() = 0;
  // "Are you sure you want to break calibration?", with the prompts and the help line hidden and
  // the pointer shown while it is open, then back as they were; true for Yes.
  virtual bool AskBreak() = 0;
  // The run refuses a calibration mode other than the two methods: TEXT in a box.
  virtual void RefuseMode(const std::string& text) = 0;
  // The computation failed: TEXT in the error box of the computation, with the pointer shown.
  virtual void ShowFailure(const std::string& text) = 0;
  // The new calibration is in force: the drawing surface hidden and the pointer shown.
  virtual void ShowCompletion() = 0;
  // "CALIBRATION IS COMPLETE." and how to test, save and restore; true to keep (Yes).
  virtual bool AskKeep() = 0;
  // The hourglass over the whole screen, or the default pointer again.
  virtual void ShowHourglass(bool busy) = 0;
  // The run is over: the pointer shown again, and the window closes.
  virtual void Unload() = 0;
};

class CalibrationRun {
 public:
  // Where the run is.
  enum class Phase {
    NotStarted,
    AwaitLiftAtStart,  // the panel was touched when the run began: waiting for it to be released
    AwaitTouch,        // a target is shown: waiting for a steady touch on it
    AwaitLift,         // the target was taken: waiting for the finger to lift
    Finishing,         // computing, and the question whether to keep the new calibration
    Over,
  };

  // The calibration states the driver is told of.
  static constexpr long kStateIdle = 0;  // Esc pressed, or the run complete
  static constexpr long kStateTouchedAtStart = 3;
  static constexpr long kStateBroken = 4;
  static constexpr long kStatePointTaken = 5;

  CalibrationRun(CalibrationView& view, CalibrationDriver& driver);

  // The run by the registry's calibration MODE (CornerMethod or SideMethod; any other is refused).
  // Only the first call starts it, and none once the run has been abandoned.
  void Start(int mode);
  void Poll();
  void PressEsc();
  // The window closes other than by the run's end: a run still waiting ends as a break.
  void Abandon();

  Phase phase() const { return phase_; }
  // Waiting for the panel to be released, touched steadily or lifted (a break question may be open).
  bool Waiting() const;
  // The target being shown (1..8), 0 before the first.
  int CurrentPoint() const { return currentPoint_; }
  const PointTable& points() const { return points_; }

 private:
  void BeginTargets();
  void AcquirePoint(int index);
  void WaitForLiftAtStart();
  void WaitForTouch();
  void CountSteadyTouch();
  void WaitForLift();
  void ResetCount();
  void Accept();
  void Taken();
  void Broken();
  void Finish();
  void PutInForce(const std::array<std::int16_t, 6>& data, std::uint8_t flags);
  void EndRun();
  // The run's moment for the person: an Esc pressed since the last one is answered (the break
  // question). Then whether the run still waits: false once it is over or gone.
  bool StillWaitingAfterEsc();
  void ConfirmBreak();

  CalibrationView& view_;
  CalibrationDriver& driver_;
  // Dies with the run: a question that outlives it tells by this.
  std::shared_ptr<bool> life_ = std::make_shared<bool>(true);

  Phase phase_ = Phase::NotStarted;
  int mode_ = CornerMethod;
  CalibrationMethod method_ = CornerMethod;
  std::int16_t rotation_ = 0;
  PointTable points_;
  int currentPoint_ = 0;
  bool breakRequested_ = false;
  bool escPending_ = false;
  TouchSample sample_{};
  int stableCount_ = 2;
  std::int16_t previousX_ = 0, previousY_ = 0;
  std::int16_t lastCounter_ = 0;
  bool touched_ = false;
  bool countToReset_ = false;  // a target was just drawn: the next poll is a moment for the person first
  std::array<std::int16_t, 6> savedData_{};
  std::uint8_t savedFlags_ = 0;
};

}  // namespace qx
