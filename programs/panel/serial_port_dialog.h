// frmSerialPort: the nine ports COM1..COM9 as the driver found them, each line grey, the line of
// the port the controller is on black with its option set. It changes nothing. The lines are drawn
// afresh every time the dialog shows, so after the COM port configuration they show what the
// driver returned.
//
// Its Setup button, which opens the COM port configuration, is designed hidden and disabled, and
// Esc (Setup's key) does nothing while it is; SetupClick is what the button would run. An
// ActivePort of 0 or above 9 marks no line.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "ui/feature_dialog.h"

namespace qx {

class ComPortDialog;

class SerialPortDialog : public FeatureDialog {
  Q_OBJECT
 public:
  SerialPortDialog();

  static constexpr int kPorts = 9;
  std::array<QLabel*, kPorts + 1> lblCOM{};  // 1..9
  std::array<QRadioButton*, kPorts + 1> optDetected{};
  QPushButton* cmdSetup = nullptr;
  QPointer<ComPortDialog> frmCOMxSet;

 public slots:
  // Opens the COM port configuration; this dialog hides until it closes.
  void SetupClick();

 protected:
  void LoadFields() override {}
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void DrawPorts();
};

}  // namespace qx
