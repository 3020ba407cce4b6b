// frmCOMxSet, the COM port configuration: the base addresses of COM1..COM4 (display only) and
// their IRQs, which Save sends with SetSerialPorts. Opened from the serial port dialog, it brings
// that dialog back when it closes. Its buttons are the set-up kind of FeatureDialog: Save is the
// pattern's Apply (cmdApply, named "cmdSave"), Cancel is cmdCandel (named "cmdCancel"), and Esc
// is OK, which saves first when Save is enabled.
//
// An IRQ in the block that is none of the six items (a status such as 255 for a port not found)
// leaves its list without selection, which counts as 0: Save then comes up enabled, and a Save (or
// OK) writes 0 for that port.
#pragma once

#include <QComboBox>
#include <array>

#include "ui/feature_dialog.h"

namespace qx {

class ComPortDialog : public FeatureDialog {
  Q_OBJECT
 public:
  ComPortDialog();

  static constexpr int kPorts = 4;
  std::array<QComboBox*, kPorts + 1> cboPort{};  // 1..4
  std::array<QComboBox*, kPorts + 1> cboIRQ{};

  // Selects the first item of cboIRQ(PORT) whose number is IRQ; none when no item is.
  void SelectIrqItem(int port, int irq);
  // The number of the item selected in cboIRQ(PORT); 0 when none is.
  int SelectedIrq(int port) const;

 protected:
  void LoadFields() override;
  bool Differs() const override;
  void WriteFields() override;
  void SendRequest() override;
};

}  // namespace qx
