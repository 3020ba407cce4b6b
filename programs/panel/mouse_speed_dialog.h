// frmMouseSpeed: horizontal and vertical pointer speed (5 % steps), the acceleration curve and
// the bypass switch; Apply sends SetMouseSpeed.
// Opened by Alt+M in the main window (its Mouse Speed button is hidden).
//
// Fields out of their ranges when the dialog opens: a speed outside 1..20 puts its bar at the
// nearest end, its label showing the stored speed, which stays until the person moves the bar
// (FieldBar: Apply does not come up for it, nothing is written for it); an acceleration outside
// 1..4 shows no option chosen and stays as it is unless one is chosen; any Bypass other than 0
// shows checked, and Apply then writes 1.
#pragma once

#include <QCheckBox>
#include <QLabel>

#include "programs/panel/field_bar.h"
#include "ui/feature_dialog.h"
#include "ui/option_group.h"
#include "ui/scroll_bar.h"

namespace qx {

class MouseSpeedDialog : public FeatureDialog {
  Q_OBJECT
 public:
  MouseSpeedDialog();

  QCheckBox* chkBypass = nullptr;
  QCheckBox* chkBoth = nullptr;
  ScrollBar* hscMouseHSpeed = nullptr;
  ScrollBar* hscMouseVSpeed = nullptr;
  QLabel* lblHS = nullptr;
  QLabel* lblVS = nullptr;
  OptionGroup* optAcceleration = nullptr;

 protected:
  void LoadFields() override;
  bool Differs() const override;
  void WriteFields() override;
  void SendRequest() override;

 private:
  ScrollBar* AddSpeedFrame(const char* title, int top, const char* barName, const char* labelName, QLabel*& valueLabel);
  // A bar's value changed: its label, the mirroring through chkBoth, the apply state.
  void SpeedChanged(FieldBar* field, QLabel* label, ScrollBar* other);
  // While a bar's thumb is dragged: only the mirroring.
  void SpeedScrolled(ScrollBar* bar, ScrollBar* other);
  void BypassBehaviour();
  void ShowBothColour();

  FieldBar* speedH_ = nullptr;
  FieldBar* speedV_ = nullptr;
};

}  // namespace qx
