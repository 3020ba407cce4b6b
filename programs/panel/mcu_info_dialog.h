// frmMcuInfo: the controller's microcontroller mode, firmware version and code on one line, as
// the control panel last read them; it sends nothing. Opened by a right press on the main
// window's Serial Port button with Shift, Ctrl and Alt held.
#pragma once

#include <QLabel>
#include <string>

#include "core/settings_block.h"
#include "ui/feature_dialog.h"

namespace qx {

// "MCU-Mode=D4  MCU-Version=4.2  MCU-Code=1234ABCD". The version byte is two BCD digits; its hex
// text is read as a decimal number up to its first letter, so 0x4A reads 0.4 and 0xA5 0.0.
std::string McuInfoText(const SettingsBlock& block);

class McuInfoDialog : public FeatureDialog {
  Q_OBJECT
 public:
  McuInfoDialog();

  QLabel* lblMcuInfo = nullptr;

 protected:
  void LoadFields() override;
};

}  // namespace qx
