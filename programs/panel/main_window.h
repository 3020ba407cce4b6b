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

#include "programs/panel/mouse_speed_dialog.h"

namespace qx {

inline constexpr char PANEL_PROGRAM[] = "QXWMECcp";
inline constexpr char PANEL_VERSION[] = "7.0.COM";
inline constexpr char VENDER_PICTURE[] = "\\QXVender.Bmp";
inline constexpr char VENDER_CUT[] = "\\QXVender.Cut";

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // The window as designed; nothing is loaded yet.
  MainWindow();

  enum class LoadResult {
    Ready,        // loaded: show it and wait for the user
    CopyBrought,  // another copy runs; its window was brought forward
    Failed,       // a box told why; the program ends
  };
  // The start-up steps, in their order.
  LoadResult Load();

  QLabel* lblSystem = nullptr;
  QLabel* imgIcon = nullptr;
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

  QPointer<MouseSpeedDialog> frmMouseSpeed;

 public slots:
  void MouseSpeedClick();
  void SupportClick();
  void AboutClick();
  void CalibrationSelected(int index);
  void ExitClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void HideMouseSpeedRow();
  void SetUpSupportButton();
  void ShowSummaries();
  void FillCalibrationList();

  std::string venderPicture_;
  bool unloaded_ = false;
};

}  // namespace qx
