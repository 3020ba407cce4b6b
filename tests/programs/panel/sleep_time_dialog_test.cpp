#include "programs/panel/sleep_time_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/controller_info.h"
#include "core/driver_link.h"
#include "programs/panel/sensitivity_dialog.h"
#include "tests/programs/panel/panel_fixture.h"

namespace qx::test {
namespace {

class PowerSave : public PanelTest {
 protected:
  SleepTimeDialog& Open(const std::string& fields) {
    StartWith(fields);
    QTest::mouseClick(Main().cmdSleepTime, Qt::LeftButton);
    EXPECT_FALSE(Main().isVisible());
    return *Main().frmSleepTime;
  }
};

TEST_F(PowerSave, LabelsFollowTheThumbAndApplySendsTheTime) {
  SleepTimeDialog& d = Open("PowerDownTime=15");
  EXPECT_EQ(d.hscSleepTime->value(), 15);
  EXPECT_EQ(d.lblST->text(), " 150");
  EXPECT_EQ(d.lblSS->text(), "Power Down When Idle  2 Min.  30 Sec.");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  d.hscSleepTime->setSliderDown(true);
  d.hscSleepTime->setSliderPosition(9);
  EXPECT_EQ(d.lblST->text(), " 90");
  EXPECT_EQ(d.lblSS->text(), "Power Down When Idle  1 Min.  30 Sec.");
  d.hscSleepTime->setSliderDown(false);
  EXPECT_TRUE(d.cmdApply->isEnabled());
  DragThumb(d.hscSleepTime, {20, 15});
  EXPECT_FALSE(d.cmdApply->isEnabled()) << "back at the stored time";

  d.hscSleepTime->setValue(9);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent("SetPowerSave"), std::vector<std::string>{"PowerDownTime=9"});
  EXPECT_EQ(Main().lblSleepTime->text(), "Power Down When Idle  1 Min.  30 Sec.");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  d.hscSleepTime->setValue(1);
  QTest::keyClick(&d, Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(DeviceService::Qxctl("get PowerDownTime"), "9\n");
  EXPECT_EQ(Sent("SetPowerSave").size(), 1u);
}

TEST_F(PowerSave, ZeroIsTheLeftEndAndDisablesPowerDown) {
  SleepTimeDialog& d = Open("PowerDownTime=0");
  EXPECT_EQ(d.hscSleepTime->value(), d.hscSleepTime->minimum());
  EXPECT_EQ(d.lblST->text(), " 0");
  EXPECT_EQ(d.lblSS->text(), "Disable Power Down Function");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.hscSleepTime->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(d.lblST->text(), " 300");
  QTest::keyClick(&d, Qt::Key_Return);
  Settle();
  EXPECT_EQ(Sent("SetPowerSave"), std::vector<std::string>{"PowerDownTime=30"});
  EXPECT_EQ(Main().lblSleepTime->text(), "Power Down When Idle  5 Min. ");
}

TEST_F(PowerSave, ATimeBeyondTheBarIsShownAndKept) {
  SleepTimeDialog& d = Open("PowerDownTime=31");
  EXPECT_EQ(d.hscSleepTime->value(), 30);
  EXPECT_EQ(d.lblST->text(), " 310");
  EXPECT_EQ(d.lblSS->text(), "Power Down When Idle  5 Min.  10 Sec.");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.hscSleepTime->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(d.lblST->text(), " 290");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  QTest::mouseClick(d.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_TRUE(Sent("SetPowerSave").empty());
  EXPECT_EQ(DeviceService::Qxctl("get PowerDownTime"), "31\n");
}

// A touchscreen on USB without power save or a sensitivity (GetControllerInfo): the Serial Port
// line names it; both lines and both dialogs say the setting does not apply, the bars out of reach,
// and nothing is sent.
TEST_F(PowerSave, ASettingTheTouchscreenLacksIsSaidNotToApplyAndCannotBeChanged) {
  SleepTimeDialog& d = Open("PowerDownTime=9");
  d.close();
  Settle();
  ControllerRecord = {
      CONTROLLER_ON_BUS, LACKS_POWER_SAVE | LACKS_SENSITIVITY, 3, 0, 0, 0, 0, "USB", "QX USB Panel", 0, {}, ""};
  for (SummaryLine line : kSummaryLines) Main().RefreshSummary(line);
  EXPECT_EQ(Main().lblSerialPort->text(), "USB, QX USB Panel");
  EXPECT_EQ(Main().lblSleepTime->text(), kDoesNotApply);
  EXPECT_EQ(Main().lblSensitivity->text(), kDoesNotApply);

  QTest::mouseClick(Main().cmdSleepTime, Qt::LeftButton);
  SleepTimeDialog& again = *Main().frmSleepTime;
  EXPECT_EQ(again.lblSS->text(), kDoesNotApply);
  EXPECT_FALSE(again.hscSleepTime->isEnabled());
  again.close();
  Settle();
  Main().SensitivityClick();
  EXPECT_EQ(Main().frmSensitivity->lblTestBox1->text(), kDoesNotApply);
  EXPECT_FALSE(Main().frmSensitivity->hscSensitivity->isEnabled());
  EXPECT_FALSE(Main().frmSensitivity->cmdApply->isEnabled());
  EXPECT_TRUE(Sent("SetPowerSave").empty());
}

}  // namespace
}  // namespace qx::test
