// frmMain, the control panel's start-up window and hub: one summary line per setting, a button
// per feature dialog, the calibration mode list, Support (or About) and Exit.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "programs/panel/summary_lines.h"
#include "ui/suite_main_window.h"

namespace qx {

class SupportBox;
class MouseSpeedDialog;
class FeedbackSoundDialog;
class SensitivityDialog;
class SleepTimeDialog;
class SerialPortDialog;
class McuInfoDialog;
class VirtualButtonDialog;
class CalibrationWindow;
class TestWindow;

inline constexpr char VENDER_PICTURE[] = "\\QXVender.Bmp";
inline constexpr char VENDER_CUT[] = "\\QXVender.Cut";

class MainWindow : public SuiteMainWindow {
  Q_OBJECT
 public:
  // The window as designed; nothing is loaded yet.
  MainWindow();

  // The start-up steps, in their order.
  LoadResult Load();

  // LINE's label shows its text from the SettingsBlock as it now is.
  void RefreshSummary(SummaryLine line);
  QLabel* SummaryLabel(SummaryLine line) const;

  QPushButton* cmdSerialPort = nullptr;
  QLabel* lblSerialPort = nullptr;
  QFrame* shpSerialPort = nullptr;
  QPushButton* cmdVirtualButton = nullptr;
  QLabel* lblVirtualButton = nullptr;
  QFrame* shpVirtualButton = nullptr;
  QPushButton* cmdFeedbackSound = nullptr;
  QLabel* lblFeedbackSound = nullptr;
  QFrame* shpFeedbackSound = nullptr;
  QPushButton* cmdMouseSpeed = nullptr;
  QLabel* lblMouseSpeed = nullptr;
  QFrame* shpMouseSpeed = nullptr;
  QPushButton* cmdSleepTime = nullptr;
  QLabel* lblSleepTime = nullptr;
  QFrame* shpSleepTime = nullptr;
  QPushButton* cmdSensivitity = nullptr;
  QLabel* lblSensitivity = nullptr;
  QFrame* shpSensitivity = nullptr;
  QLabel* lblDetection = nullptr;
  QFrame* shpDetection = nullptr;
  QPushButton* cmdCalibration = nullptr;
  QComboBox* cboCalibration = nullptr;
  QFrame* shpCalibration = nullptr;
  QPushButton* cmdSupport = nullptr;
  QPushButton* cmdExit = nullptr;
  QPushButton* cmdTest = nullptr;
  QPushButton* cmdSMIon = nullptr;
  QPushButton* cmdSMIoff = nullptr;

  QPointer<SupportBox> frmSupport;
  QPointer<MouseSpeedDialog> frmMouseSpeed;
  QPointer<FeedbackSoundDialog> frmFeedbackSound;
  QPointer<SensitivityDialog> frmSensitivity;
  QPointer<SleepTimeDialog> frmSleepTime;
  QPointer<SerialPortDialog> frmSerialPort;
  QPointer<McuInfoDialog> frmMcuInfo;
  QPointer<VirtualButtonDialog> frmVirtualButton;
  QPointer<CalibrationWindow> frmCalibration;
  QPointer<TestWindow> frmTest;

 public slots:
  void MouseSpeedClick();
  void FeedbackSoundClick();
  void SensitivityClick();
  void SleepTimeClick();
  void SerialPortClick();
  void McuInfoClick();
  void VirtualButtonClick();
  void CalibrationClick();
  void TestClick();
  void SupportClick();
  void CalibrationSelected(int index);
  void ExitClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Opens feature dialog D; its Apply rebuilds LINE.
  template <typename D>
  void OpenFeature(QPointer<D>& dialog, SummaryLine line);
  void HideMouseSpeedRow();
  void SetUpSupportButton();
  void FillCalibrationList();
  // The calibration row says whose calibration is in force, from ControllerRecord as it is now.
  void ShowWhoseCalibration();

  std::string venderPicture_;
  bool unloaded_ = false;
};

}  // namespace qx
