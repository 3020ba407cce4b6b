// frmSleepTime, the power save dialog: how long the controller stays idle before it powers down,
// 10 s to 5 min in 10 s steps, or never (0); Apply sends SetPowerSave. Both labels follow the
// thumb while it is dragged.
//
// A touchscreen that has no power save (ControllerRecord) shows its frame disabled and, in place of
// the time's text, that the setting does not apply.
//
// A stored time above 30 shows its seconds and its text in the labels with the bar at its right
// end, and stays as it is unless the bar is moved (FieldBar).
#pragma once

#include <QGroupBox>
#include <QLabel>

#include "programs/panel/field_bar.h"
#include "ui/feature_dialog.h"

namespace qx {

class SleepTimeDialog : public FeatureDialog {
  Q_OBJECT
 public:
  SleepTimeDialog();

  ScrollBar* hscSleepTime = nullptr;
  QLabel* lblST = nullptr;  // seconds
  QLabel* lblSS = nullptr;  // PowerSaveText

 protected:
  void LoadFields() override;
  bool Differs() const override;
  void WriteFields() override;
  void SendRequest() override;

 private:
  void ShowTime();

  FieldBar* time_ = nullptr;
  QGroupBox* frame_ = nullptr;
};

}  // namespace qx
