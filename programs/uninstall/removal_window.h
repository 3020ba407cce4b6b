// frmMain, the uninstaller's only window: it asks whether to remove the suite. Yes closes the
// suite's resident programs, runs the package uninstaller, schedules this program's deletion,
// removes the device registration and restarts the machine; No ends the program.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLine>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "ui/suite_main_window.h"

namespace qx {

class PauseClock;

class RemovalWindow : public SuiteMainWindow {
  Q_OBJECT
 public:
  // The window as designed; nothing is loaded yet.
  RemovalWindow();

  // The caption, the installation record, the branding, the question and the layout.
  LoadResult Load();

  // The etched separator in twips: the shadow line, then the highlight line 20 twips below it,
  // drawn from its right end back to its left.
  std::array<QLine, 2> SeparatorLines() const { return separator_; }

  // The clock the removal's pauses are measured on (tests shorten them).
  void SetPauseClock(PauseClock& clock) { clock_ = &clock; }

  // The exit code the program ends with: 0 after No or a removal that restarts the machine, 1
  // when the removal failed after the confirmation.
  int ExitCode() const { return exitCode_; }

  QLabel* imgRemoval = nullptr;
  QFrame* shpRemoval = nullptr;
  QLabel* lblAsk = nullptr;
  QLabel* lblText = nullptr;
  QPushButton* cmdYes = nullptr;
  QPushButton* cmdNo = nullptr;

 public slots:
  void YesClick();
  void NoClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The removal after the confirmation; false when it ended early (a box said why).
  bool Remove();
  void LayOut();
  void End(int exitCode);

  std::array<QLine, 2> separator_;
  PauseClock* clock_;
  int exitCode_ = 0;
  bool removing_ = false;
};

}  // namespace qx
