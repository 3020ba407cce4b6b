// frmVirtualButton: the touch mode (how touches become mouse-button actions) and the right-button
// function: on or off, and in Drag Drop Mode whether the right button comes automatically, with
// its two times and its beep. Apply sends SetTouchMode, then starts the right-button program
// (hidden) or closes it, by the rule the startup program follows too.
//
// Fields out of their ranges when the dialog opens: a touch mode outside 1..4, or an RbfEnable
// outside 0..1, shows no option chosen; an RbfAutoMode, time or beep index outside its list shows
// an empty list. Each such value stays pending as it is, so Apply writes it back unchanged, until
// the person chooses another. A touch mode other than 4 greys the automatic controls, as any
// mode but Drag Drop Mode does.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <array>
#include <cstdint>

#include "ui/feature_dialog.h"
#include "ui/option_group.h"

namespace qx {

class VirtualButtonDialog : public FeatureDialog {
  Q_OBJECT
 public:
  VirtualButtonDialog();

  OptionGroup* optVirtualButton = nullptr;  // 1..4
  OptionGroup* optRBFunction = nullptr;     // 0 off, 1 on
  QComboBox* cboRBAutoMode = nullptr;
  QComboBox* cboRBAutoSTime = nullptr;
  QComboBox* cboRBAutoETime = nullptr;
  QComboBox* cboRBAutoBeep = nullptr;
  QLabel* lblRBAutoSTime = nullptr;
  QLabel* lblRBAutoSTimeSec = nullptr;
  QLabel* lblRBAutoETime = nullptr;
  QLabel* lblRBAutoETimeSec = nullptr;
  QLabel* lblRBAutoBeep = nullptr;

  // Whether Apply has something to send: the touch mode, the function's state, and the automatic
  // fields only where they are in force (Drag Drop Mode with the function on; the times and beep
  // only in automatic mode).
  bool HasPendingChanges() const;
  // Greys the automatic-mode list and the eight timing controls where they are not in force.
  void UpdateAutoModeControls();

 protected:
  void LoadFields() override;
  bool Differs() const override { return HasPendingChanges(); }
  void WriteFields() override;
  void SendRequest() override;
  void Taken() override;

 private:
  // The pending right-button bytes, laid out as RbfEnable .. RbfAutoBeep are in the block.
  enum RbfByte { kEnable, kAutoMode, kAutoSTime, kAutoETime, kAutoBeep };

  QComboBox* AddList(QWidget* frame, const char* name, int left, int top, int width, RbfByte byte);
  // A choice from a list: its pending byte, then the greying (for the mode list) and Apply.
  void ListChosen(RbfByte byte, int index);

  std::uint8_t pendingTouchMode_ = 0;
  std::array<std::uint8_t, 5> pendingRbf_{};
  bool editEnding_ = false;  // a list's text field is ending an edit: no choice
};

}  // namespace qx
