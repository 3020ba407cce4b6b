#include "programs/panel/com_port_dialog.h"

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5400;
constexpr int kNoteHeight = 3 * kLabelHeight;  // three lines
constexpr int kFirstRow = FeatureDialog::kContentTop + kNoteHeight + kMargin;
constexpr int kRowStep = 420;
constexpr int kListHeight = 315;
constexpr int kHeight = kFirstRow + ComPortDialog::kPorts * kRowStep + kMargin + kButtonHeight;
constexpr const char* kIrqItems[] = {"3", "4", "5", "7", "10", "11"};

std::string Indexed(const char* name, int i) { return name + std::to_string(i); }

}  // namespace

ComPortDialog::ComPortDialog() : FeatureDialog("frmCOMxSet", kWidth, kHeight, Buttons::SaveOkCancel) {
  setWindowTitle(QStringLiteral(" COM Port Configuration"));
  QLabel* caution = AddLabel(this, "lblCaution", "CAUTION:", kMargin, kContentTop, 1080, kLabelHeight);
  SetTextColour(caution, kRed);
  QLabel* note = AddLabel(this, "lblNote",
                          "Incorrect change to the following Setting could prevent the TouchScreen from operation or "
                          "operation correctly.",
                          1200, kContentTop, kWidth - 1200 - kMargin, kNoteHeight);
  note->setWordWrap(true);
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  for (int i = 1; i <= kPorts; ++i) {
    const int top = kFirstRow + (i - 1) * kRowStep;
    const int labelTop = top + (kListHeight - kLabelHeight) / 2;
    AddLabel(this, Indexed("lblCOM", i).c_str(), Indexed("COM", i).append(":").c_str(), kMargin, labelTop, 720);
    AddLabel(this, Indexed("lblPortName", i).c_str(), "PORT", 900, labelTop, 600);
    cboPort[i] = AddDropDownList(this, Indexed("cboPort", i).c_str(), 1500, top, 1200, kListHeight);
    cboPort[i]->setEnabled(false);  // display only, on the window's grey
    QPalette grey = cboPort[i]->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    cboPort[i]->setPalette(grey);
    AddLabel(this, Indexed("lblIRQ", i).c_str(), "IRQ", 2940, labelTop, 480);
    cboIRQ[i] = AddDropDownList(this, Indexed("cboIRQ", i).c_str(), 3420, top, 960, kListHeight);
    for (const char* item : kIrqItems) cboIRQ[i]->addItem(QString::fromUtf8(item));
    cboIRQ[i]->setCurrentIndex(-1);
    connect(cboIRQ[i], &QComboBox::currentIndexChanged, this, [this] { UpdateApply(); });
  }
}

void ComPortDialog::LoadFields() {
  for (int i = 1; i <= kPorts; ++i) {
    for (int n = 1; n <= kPorts; ++n)
      cboPort[i]->addItem(QString::fromStdString(Hex4(Settings.PortTable[n - 1].PortBase)));
    cboPort[i]->setCurrentIndex(i - 1);
  }
  for (int i = 1; i <= kPorts; ++i) SelectIrqItem(i, Settings.PortTable[i - 1].PortIrq);
}

void ComPortDialog::SelectIrqItem(int port, int irq) {
  QComboBox* list = cboIRQ[port];
  for (int item = 0; item < list->count(); ++item) {
    if (list->itemText(item).toInt() == irq) {
      list->setCurrentIndex(item);
      return;
    }
  }
  list->setCurrentIndex(-1);
}

int ComPortDialog::SelectedIrq(int port) const {
  const QComboBox* list = cboIRQ[port];
  return list->currentIndex() < 0 ? 0 : list->currentText().toInt();
}

bool ComPortDialog::Differs() const {
  // A list without a selection shows a status the driver keeps in place of an IRQ (255: no such
  // port, 254: in use) and is no change of the person's: counted as 0 here, it would enable Save
  // at every opening, and OK (Esc) would overwrite the driver's statuses though nothing was
  // chosen. A Save made for another port still writes 0 for it.
  for (int i = 1; i <= kPorts; ++i)
    if (cboIRQ[i]->currentIndex() >= 0 && SelectedIrq(i) != Settings.PortTable[i - 1].PortIrq) return true;
  return false;
}

void ComPortDialog::WriteFields() {
  for (int i = 1; i <= kPorts; ++i) Settings.PortTable[i - 1].PortIrq = static_cast<std::uint8_t>(SelectedIrq(i));
}

void ComPortDialog::SendRequest() { SetSerialPorts(); }

}  // namespace qx
