#include "programs/panel/serial_port_dialog.h"

#include <QShowEvent>

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "programs/panel/com_port_dialog.h"
#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5400;
constexpr int kLineStep = 300;
constexpr int kFrameHeight = kInFrameTop + SerialPortDialog::kPorts * kLineStep + kMargin;
constexpr int kHeight = FeatureDialog::kContentTop + kFrameHeight + 2 * kMargin + kButtonHeight;
constexpr int kOptionWidth = 300;

}  // namespace

SerialPortDialog::SerialPortDialog() : FeatureDialog("frmSerialPort", kWidth, kHeight, Buttons::OkOnly) {
  const int frameWidth = kWidth - 2 * kMargin;
  QGroupBox* frame =
      AddFrame(this, "fraSerialPort", "  Serial Port Information  ", kMargin, kContentTop, frameWidth, kFrameHeight);
  for (int n = 1; n <= kPorts; ++n) {
    const int top = kInFrameTop + (n - 1) * kLineStep;
    const std::string option = "optDetected" + std::to_string(n);
    optDetected[n] = AddOption(frame, option.c_str(), "", 2 * kMargin, top, kOptionWidth);
    optDetected[n]->setEnabled(false);
    // The option has no caption: a screen reader names it by its port, not by the frame's title.
    optDetected[n]->setAccessibleName(QStringLiteral("COM") + QString::number(n));
    const std::string label = "lblCOM" + std::to_string(n);
    lblCOM[n] =
        AddLabel(frame, label.c_str(), "", 2 * kMargin + kOptionWidth, top, frameWidth - 3 * kMargin - kOptionWidth);
    SetTextColour(lblCOM[n], kGrey);
  }
  cmdSetup = AddButton(this, "cmdSetup", "&Setup", kMargin, kHeight - kMargin - kButtonHeight);
  cmdSetup->setVisible(false);
  cmdSetup->setEnabled(false);
  connect(cmdSetup, &QPushButton::clicked, this, &SerialPortDialog::SetupClick);
}

void SerialPortDialog::showEvent(QShowEvent* event) {
  DrawPorts();
  FeatureDialog::showEvent(event);
}

// Every line from the block; then the active port's line black and its option set. Lines marked
// before are put back first, so a port that is no longer the active one stays grey.
void SerialPortDialog::DrawPorts() {
  for (int n = 1; n <= kPorts; ++n) {
    const PortEntry& port = Settings.PortTable[n - 1];
    lblCOM[n]->setText(QString::fromStdString(PortStatusText(n, port.PortBase, port.PortIrq)));
    SetTextColour(lblCOM[n], kGrey);
    optDetected[n]->setAutoExclusive(false);
    optDetected[n]->setChecked(false);
    optDetected[n]->setAutoExclusive(true);
    optDetected[n]->setEnabled(false);
  }
  const int active = Settings.ActivePort;
  if (active >= 1 && active <= kPorts) {
    SetTextColour(lblCOM[active], kBlack);
    optDetected[active]->setEnabled(true);
    optDetected[active]->setChecked(true);
  }
}

void SerialPortDialog::SetupClick() { OpenWindow(frmCOMxSet, this); }

// Esc is the Setup button's key: nothing while that button is hidden and disabled.
void SerialPortDialog::reject() {
  if (cmdSetup->isVisible() && cmdSetup->isEnabled()) cmdSetup->click();
}

}  // namespace qx
