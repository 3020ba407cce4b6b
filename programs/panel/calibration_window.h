// frmCalibration: one calibration run. The window covers the screen, above every other window,
// shows the targets of the chosen method one after the other, takes a steady raw touch at each
// from the driver, has the four points turned into calibration values, puts them in force at
// once, and lets the person keep them (Yes) or go back to the previous ones (No). Esc asks
// whether to break off. The main window hides before it opens and shows again when it closes.
//
// The run (CalibrationRun) starts once the window is first shown; the window shows what the run
// asks for, polls the driver for it once a millisecond from the event loop, and hands it Esc.
#pragma once

#include <QLabel>
#include <cstdint>
#include <optional>
#include <string>

#include "programs/panel/calibration_driver_link.h"
#include "programs/panel/calibration_run.h"
#include "programs/panel/calibration_targets.h"
#include "programs/panel/picture_box.h"
#include "ui/pointer.h"
#include "ui/suite_window.h"

namespace qx {

class CalibrationWindow : public SuiteDialog, private CalibrationView {
  Q_OBJECT
 public:
  using Phase = CalibrationRun::Phase;

  CalibrationWindow();

  // Before the window shows: the settings read afresh, the resolution line, and the right-button
  // function paused.
  void Load() override;

  Phase phase() const { return run_.phase(); }
  int CurrentPoint() const { return run_.CurrentPoint(); }
  const TargetEdges& edges() const { return edges_; }
  const PointTable& points() const { return run_.points(); }

  // What the run shows (CalibrationView).
  void DrawTarget(int index, bool draw) override;
  void ShowTouchPrompt(const std::string& name) override;
  void ShowLiftOffPrompt(const std::string& text) override;
  void SetTouchIndicator(bool touched) override;

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

  void HidePointer() override;
  bool AskBreak() override;
  void RefuseMode(const std::string& text) override;
  void ShowFailure(const std::string& text) override;
  void ShowCompletion() override;
  bool AskKeep() override;
  void ShowHourglass(bool busy) override;
  void Unload() override;

  TargetEdges edges_;
  bool targetShown_ = false;
  std::optional<Hourglass> hourglass_;
  std::uint8_t rememberedAutoMode_ = 0;
  bool unloaded_ = false;

  CalibrationDriverLink driver_{[this] { run_.Poll(); }};
  CalibrationRun run_{*this, driver_};
};

}  // namespace qx
