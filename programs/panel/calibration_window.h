// frmCalibration: one calibration run. The window covers the screen, above every other window,
// shows the targets of the chosen method one after the other, takes a steady raw touch at each
// from the driver, has the four points turned into calibration values, puts them in force at
// once, and lets the person keep them (Yes) or go back to the previous ones (No). Esc asks
// whether to break off. The main window hides before it opens and shows again when it closes.
//
// The run starts once the window is first shown. It polls the driver once a millisecond from the
// event loop (PacedPoll): each poll is one GetTouchSample and takes the run one step on, so the
// window goes on drawing and answering between polls. An Esc is handled at the run's moments for the person
// (after a target is drawn, while the panel is not touched, while it waits for a lift, and
// whenever a touched panel brings no fresh report), as a loop that let events through at those
// points would handle it; the run notices a confirmed break at its next wait.
#pragma once

#include <QLabel>
#include <array>
#include <cstdint>
#include <string>

#include "core/calibration.h"
#include "programs/panel/calibration_targets.h"
#include "programs/panel/paced_poll.h"
#include "programs/panel/picture_box.h"
#include "ui/suite_window.h"

namespace qx {

class CalibrationWindow : public SuiteDialog {
  Q_OBJECT
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

  CalibrationWindow();

  // Before the window shows: the resolution line, and the right-button function paused.
  void Load() override;

  Phase phase() const { return phase_; }
  int CurrentPoint() const { return currentPoint_; }
  const TargetEdges& edges() const { return edges_; }
  const PointTable& points() const { return points_; }

  // The run's procedures that show something.
  void DrawTarget(int index, bool draw);
  void ShowTouchPrompt(const std::string& name);
  void ShowLiftOffPrompt(const std::string& text);
  void SetTouchIndicator(bool touched);

  Canvas* picCalibration = nullptr;
  QWidget* picHome = nullptr;
  QWidget* picStat = nullptr;
  QLabel* lblResolution = nullptr;
  QWidget* picMesg = nullptr;
  QLabel* lblMesg1 = nullptr;
  QLabel* lblMesg2 = nullptr;
  QLabel* lblMesg3 = nullptr;
  QLabel* lblHelp = nullptr;
  QLabel* lblTitle = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Every way of closing: a run still waiting ends as a break; then the right-button function
  // comes back, the main window shows and so does the cursor.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Layout();
  void PauseRightButton(bool pause);

  // The run (calibration_run.cpp).
  void RunCalibration();
  void BeginTargets();
  void AcquirePoint(int index);
  void Tick();
  void WaitForLiftAtStart();
  void WaitForTouch();
  void WaitForLift();
  void ResetCount();
  void Accept();
  void Taken();
  void Broken();
  void Finish();
  void ApplyNewCalibration(const CalibrationResult& result);
  void RestoreOldCalibration();
  void EndRun();
  // The run's moment for the person: an Esc pressed since the last one is handled now. False
  // when the run is over (the window was closed meanwhile).
  bool LetEventsThrough();
  void ConfirmBreak();
  bool Waiting() const;

  TargetEdges edges_;
  bool targetShown_ = false;

  Phase phase_ = Phase::NotStarted;
  PacedPoll poll_{this};
  CalibrationMethod method_ = CornerMethod;
  PointTable points_;
  int currentPoint_ = 0;
  bool breakRequested_ = false;
  bool escPending_ = false;
  int stableCount_ = 2;
  std::int16_t previousX_ = 0, previousY_ = 0;
  std::int16_t lastCounter_ = 0;
  bool touched_ = false;
  bool countToReset_ = false;  // a target was just drawn: the next tick lets events through first
  std::array<std::int16_t, 6> savedData_{};
  std::uint8_t savedFlags_ = 0;
  std::uint8_t rememberedAutoMode_ = 0;
  bool unloaded_ = false;
};

}  // namespace qx
