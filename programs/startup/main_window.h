// frmMain, the startup program's one window, in one of two modes chosen by the command line:
//   startup (no "/SDC"): a splash of the title area alone while the log-on sequence runs
//     (startup_sequence.h); the program then ends by itself;
//   "/SDC": the double-click settings dialog: three bars for the suite's stored values, the
//     desktop's current values, a test area and Apply, OK and Cancel.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "ui/scroll_bar.h"
#include "ui/suite_main_window.h"

namespace qx {

class TestArea;

class MainWindow : public SuiteMainWindow {
  Q_OBJECT
 public:
  // ARGUMENTS: the command line without --root; exactly "/SDC" (any case) selects the dialog.
  explicit MainWindow(const ProgramArguments& arguments = {});

  // The loading steps of both modes; in startup mode the sequence is then due (RunStartup).
  LoadResult Load();

  bool SdcMode() const { return sdcMode_; }

  QFrame* Shape1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  ScrollBar* hscTT = nullptr;
  ScrollBar* hscWW = nullptr;
  ScrollBar* hscHH = nullptr;
  QLabel* lblTT = nullptr;
  QLabel* lblWW = nullptr;
  QLabel* lblHH = nullptr;
  QGroupBox* Frame2 = nullptr;
  QLabel* lblSiTT = nullptr;
  QLabel* lblSiWW = nullptr;
  QLabel* lblSiHH = nullptr;
  QGroupBox* Frame4 = nullptr;
  TestArea* picTest = nullptr;
  QPushButton* cmdApply = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCandel = nullptr;

 public slots:
  // Startup mode: runs the log-on sequence once (the first call after Load), then unloads the
  // window, which ends the program.
  void RunStartup();
  void ApplyClick();
  void OKClick();
  void CandelClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ScrollBar* AddSettingRow(int top, const char* barName, int min, int max, int largeStep, const char* labelName,
                           const char* design, QLabel*& valueLabel);
  void ShowAsSplash();
  void PrepareDoubleClickDialog();
  // The desktop's current values into the system labels.
  void ShowSystemValues();
  // The bar's value into its label, then the Apply rule.
  void BarChanged(ScrollBar* bar);
  void UpdateApply();

  bool sdcMode_ = false;
  bool startupDue_ = false;
  int exitCode_ = 0;
};

}  // namespace qx
