// The serial port dialog and the COM port configuration it opens.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "core/driver_link.h"
#include "programs/panel/com_port_dialog.h"
#include "programs/panel/serial_port_dialog.h"
#include "tests/programs/panel/panel_fixture.h"
#include "ui/colours.h"

namespace qx::test {
namespace {

// The controller's ports as the service keeps them by default: COM1 at 03F8 IRQ 4, COM2 at
// 02F8 IRQ 3, COM3 not found, COM4 used by another device, COM5..COM9 not found.
class SerialPorts : public PanelTest {
 protected:
  SerialPortDialog& Open(const std::string& fields) {
    StartWith(fields);
    QTest::mouseClick(Main().cmdSerialPort, Qt::LeftButton);
    return *Main().frmSerialPort;
  }
  // Of the nine lines, those drawn black, and the options set.
  static std::string Marked(const SerialPortDialog& d) {
    std::string marked;
    for (int n = 1; n <= SerialPortDialog::kPorts; ++n) {
      if (TextColour(d.lblCOM[n]) == kBlack) marked += "black" + std::to_string(n) + " ";
      else EXPECT_EQ(TextColour(d.lblCOM[n]), kGrey) << n;
      if (d.optDetected[n]->isChecked()) marked += "set" + std::to_string(n) + " ";
      if (d.optDetected[n]->isEnabled()) marked += "enabled" + std::to_string(n) + " ";
    }
    return marked;
  }
};

TEST_F(SerialPorts, ListsTheNinePortsAndMarksTheActiveOne) {
  SerialPortDialog& d = Open("ActivePort=2 ActivePortBase=0x2F8 ActivePortIrq=3 PortBase5=0 PortIrq5=7");
  EXPECT_FALSE(Main().isVisible());
  EXPECT_EQ(d.lblCOM[1]->text(), "COM1, BasePort=03F8h, IRQ=4");
  EXPECT_EQ(d.lblCOM[2]->text(), "COM2, BasePort=02F8h, IRQ=3");
  EXPECT_EQ(d.lblCOM[3]->text(), "COM3..Not Found.");
  EXPECT_EQ(d.lblCOM[4]->text(), "COM4..Used by Other Device.");
  EXPECT_EQ(d.lblCOM[5]->text(), "COM5..Unabled (code=7)");
  EXPECT_EQ(d.lblCOM[9]->text(), "COM9..Not Found.");
  EXPECT_EQ(Marked(d), "black2 set2 enabled2 ");
  // What a screen reader names each option by.
  for (int n = 1; n <= SerialPortDialog::kPorts; ++n)
    EXPECT_EQ(QAccessible::queryAccessibleInterface(d.optDetected[n])->text(QAccessible::Name),
              "COM" + QString::number(n));
  EXPECT_FALSE(d.cmdSetup->isVisible());
  EXPECT_FALSE(d.cmdSetup->isEnabled());
  EXPECT_TRUE(d.cmdOK->isDefault());

  QTest::keyClick(&d, Qt::Key_Escape);  // Setup's key, while Setup is hidden: nothing
  Settle();
  ASSERT_TRUE(Main().frmSerialPort);
  EXPECT_TRUE(d.isVisible());
  QTest::keyClick(&d, Qt::Key_Return);
  Settle();
  EXPECT_FALSE(Main().frmSerialPort);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(DeviceService::Qxctl("journal"), "") << "the dialog only shows";
}

TEST_F(SerialPorts, AnActivePortOfNoLineMarksNothing) {
  StartWith("ActivePort=12");
  Main().SerialPortClick();
  EXPECT_EQ(Marked(*Main().frmSerialPort), "");
  Main().frmSerialPort->close();
  Settle();

  Settings.ActivePort = 0;  // a block that names no port
  Main().SerialPortClick();
  EXPECT_EQ(Marked(*Main().frmSerialPort), "");
}

class ComPortConfiguration : public SerialPorts {
 protected:
  ComPortDialog& OpenSetup(const std::string& fields) {
    SerialPortDialog& ports = Open(fields);
    ports.SetupClick();
    EXPECT_FALSE(ports.isVisible());
    return *ports.frmCOMxSet;
  }
  static void Choose(QComboBox* list, const char* item) { list->setCurrentIndex(list->findText(item)); }
};

TEST_F(ComPortConfiguration, ShowsThePortsAndSavesTheIrqsOnOkBackInTheRedrawnPortList) {
  ComPortDialog& d = OpenSetup("PortBase3=0x3E8 PortIrq3=4 PortBase4=0x2E8 PortIrq4=10");
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(Main().isVisible());
  EXPECT_EQ(d.windowTitle(), " TouchScreen Control Panel #QX-COM");
  EXPECT_EQ(d.cmdApply->objectName(), "cmdSave");
  EXPECT_EQ(d.cmdApply->text(), "&Save");
  EXPECT_EQ(d.cmdCandel->objectName(), "cmdCancel");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  ASSERT_EQ(d.cboPort[3]->count(), 4);
  EXPECT_EQ(d.cboPort[3]->itemText(0), "03F8");
  EXPECT_EQ(d.cboPort[3]->currentText(), "03E8");
  EXPECT_FALSE(d.cboPort[3]->isEnabled());
  EXPECT_EQ(d.cboIRQ[1]->currentText(), "4");
  EXPECT_EQ(d.cboIRQ[2]->currentText(), "3");
  EXPECT_EQ(d.cboIRQ[4]->currentText(), "10");
  EXPECT_EQ(d.cboIRQ[2]->count(), 6);

  Choose(d.cboIRQ[2], "5");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  Choose(d.cboIRQ[2], "3");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  Choose(d.cboIRQ[2], "5");
  QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  Settle();
  EXPECT_EQ(Sent("SetSerialPorts"), std::vector<std::string>{"PortIrq1=4 PortIrq2=5 PortIrq3=4 PortIrq4=10"});
  SerialPortDialog* ports = Main().frmSerialPort;
  ASSERT_TRUE(ports);
  EXPECT_FALSE(ports->frmCOMxSet);
  EXPECT_TRUE(ports->isVisible());
  EXPECT_FALSE(Main().isVisible()) << "the configuration returns to the serial port dialog";
  EXPECT_EQ(ports->lblCOM[2]->text(), "COM2, BasePort=02F8h, IRQ=5");
  EXPECT_EQ(DeviceService::Qxctl("get PortIrq2"), "5\n");
}

TEST_F(ComPortConfiguration, CancelSendsNothingAndEscSavesLikeOk) {
  ComPortDialog& first = OpenSetup("PortIrq3=5 PortIrq4=7");
  Choose(first.cboIRQ[1], "11");
  QTest::mouseClick(first.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_TRUE(Main().frmSerialPort->isVisible());
  EXPECT_TRUE(Sent("SetSerialPorts").empty());

  Main().frmSerialPort->SetupClick();
  ComPortDialog& second = *Main().frmSerialPort->frmCOMxSet;
  EXPECT_EQ(second.cboIRQ[1]->currentText(), "4") << "opened afresh from the block";
  Choose(second.cboIRQ[1], "11");
  QTest::keyClick(&second, Qt::Key_Escape);
  Settle();
  EXPECT_EQ(Sent("SetSerialPorts"), std::vector<std::string>{"PortIrq1=11 PortIrq2=3 PortIrq3=5 PortIrq4=7"});
  EXPECT_EQ(Main().frmSerialPort->lblCOM[1]->text(), "COM1, BasePort=03F8h, IRQ=11");
}

// A status in place of an IRQ (255: no such port; 254: used by another device) matches no item:
// the list shows none and is no change of the person's, so opening and leaving with Esc (OK) sends
// nothing; a Save made for another port writes 0 for it.
TEST_F(ComPortConfiguration, AnIrqThatIsNoItemLeavesItsListEmptyAndSavesAsZero) {
  ComPortDialog& d = OpenSetup("");
  EXPECT_EQ(d.cboIRQ[3]->currentIndex(), -1);
  EXPECT_EQ(d.cboIRQ[4]->currentIndex(), -1);
  EXPECT_EQ(d.SelectedIrq(3), 0);
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.SelectIrqItem(3, 11);
  EXPECT_EQ(d.cboIRQ[3]->currentText(), "11");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.SelectIrqItem(3, 255);
  EXPECT_EQ(d.cboIRQ[3]->currentIndex(), -1);
  EXPECT_FALSE(d.cmdApply->isEnabled());
  QTest::keyClick(&d, Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(Sent("SetSerialPorts").empty()) << "looked at and left: nothing chosen, nothing sent";
  EXPECT_EQ(DeviceService::Qxctl("get PortIrq3"), "255\n");

  Main().frmSerialPort->SetupClick();
  ComPortDialog& again = *Main().frmSerialPort->frmCOMxSet;
  Choose(again.cboIRQ[1], "5");
  QTest::mouseClick(again.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent("SetSerialPorts"), std::vector<std::string>{"PortIrq1=5 PortIrq2=3 PortIrq3=0 PortIrq4=0"});
  EXPECT_FALSE(again.cmdApply->isEnabled());
  EXPECT_TRUE(again.isVisible()) << "Save does not close";
}

}  // namespace
}  // namespace qx::test
