// frmSensitivity: how firm a touch must be before the controller reports it, a level 0..127
// (stored as 127 - level); Apply sends SetSensitivity. The yellow test box lights while a press on
// it lasts, so the person can try the sensitivity the driver now uses (the last applied one).
// Opened by the main window's Touch Sensitivity button, which is designed hidden and disabled.
//
// A touchscreen that does not say how firm a touch is (ControllerRecord) shows the frame disabled
// and, on the test box, that the setting does not apply.
//
// A stored value above 127 (a negative level) shows its level in the label ("-73" for 200) with
// the bar at its left end, and stays as it is unless the bar is moved (FieldBar).
#pragma once

#include <QGroupBox>
#include <QLabel>

#include "programs/panel/field_bar.h"
#include "ui/feature_dialog.h"

namespace qx {

class SensitivityDialog : public FeatureDialog {
  Q_OBJECT
 public:
  SensitivityDialog();

  ScrollBar* hscSensitivity = nullptr;
  QLabel* lblSV = nullptr;
  QLabel* lblTestBox0 = nullptr;  // the box, yellow while pressed
  QLabel* lblTestBox1 = nullptr;  // its caption, over it

 protected:
  void LoadFields() override;
  bool Differs() const override;
  void WriteFields() override;
  void SendRequest() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowLevel();

  FieldBar* level_ = nullptr;
  QGroupBox* frame_ = nullptr;
};

}  // namespace qx
