#include "programs/panel/mcu_info_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/driver_link.h"
#include "programs/panel/serial_port_dialog.h"
#include "tests/programs/panel/panel_fixture.h"

namespace qx::test {
namespace {

constexpr Qt::KeyboardModifiers kShiftCtrlAlt = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

class McuInfo : public PanelTest {
 protected:
  // The controller reports FIELDS; the dialog opens by its gesture on Serial Port.
  std::string Shown(const std::string& fields) {
    StartWith(fields);
    QTest::mousePress(Main().cmdSerialPort, Qt::RightButton, kShiftCtrlAlt);
    EXPECT_TRUE(Main().frmMcuInfo);
    return Main().frmMcuInfo ? Main().frmMcuInfo->lblMcuInfo->text().toStdString() : "";
  }
};

TEST_F(McuInfo, OpensByItsGestureShowsTheControllerAndClosesWithOk) {
  EXPECT_EQ(Shown("McuMode=0xD4 McuVersion=0x42 McuCode=1234ABCD"), "MCU-Mode=D4  MCU-Version=4.2  MCU-Code=1234ABCD");
  McuInfoDialog& d = *Main().frmMcuInfo;
  EXPECT_FALSE(Main().isVisible());
  EXPECT_FALSE(Main().frmSerialPort) << "the right press is not a click";
  EXPECT_EQ(d.windowTitle(), " TouchScreen Control Panel #QX-COM");
  EXPECT_EQ(d.cmdApply, nullptr);
  EXPECT_TRUE(d.cmdOK->isDefault());
  QTest::keyClick(&d, Qt::Key_Return);
  Settle();
  EXPECT_FALSE(Main().frmMcuInfo);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(DeviceService::Qxctl("journal"), "") << "it asks the driver for nothing";
}

TEST_F(McuInfo, TheGestureNeedsAllThreeKeysAndTheRightButton) {
  StartWith("");
  QTest::mousePress(Main().cmdSerialPort, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::mouseRelease(Main().cmdSerialPort, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_FALSE(Main().frmMcuInfo);
  QTest::mousePress(Main().cmdSupport, Qt::RightButton, kShiftCtrlAlt);  // the gesture on another button
  EXPECT_FALSE(Main().frmMcuInfo);
  EXPECT_TRUE(Main().isVisible());
}

TEST_F(McuInfo, ABlockNeverFilledShowsZeros) {
  StartWith("");
  Settings = SettingsBlock{};
  Main().McuInfoClick();
  EXPECT_EQ(Main().frmMcuInfo->lblMcuInfo->text(), "MCU-Mode=00  MCU-Version=0.0  MCU-Code=00000000");
}

struct Version {
  const char* fields;
  const char* shown;
};

class McuVersion : public McuInfo, public ::testing::WithParamInterface<Version> {};

TEST_P(McuVersion, IsReadFromTheHexTextOfItsByte) { EXPECT_EQ(Shown(GetParam().fields), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, McuVersion,
    ::testing::Values(Version{"McuMode=7 McuVersion=0x05 McuCode=00010203",
                              "MCU-Mode=07  MCU-Version=0.5  MCU-Code=00010203"},
                      Version{"McuVersion=0x23", "MCU-Mode=01  MCU-Version=2.3  MCU-Code=51580700"},
                      Version{"McuVersion=0x99", "MCU-Mode=01  MCU-Version=9.9  MCU-Code=51580700"},
                      Version{"McuVersion=0x4A", "MCU-Mode=01  MCU-Version=0.4  MCU-Code=51580700"},
                      Version{"McuVersion=0xA5", "MCU-Mode=01  MCU-Version=0.0  MCU-Code=51580700"},
                      Version{"McuVersion=0x0A", "MCU-Mode=01  MCU-Version=0.0  MCU-Code=51580700"}));

}  // namespace
}  // namespace qx::test
