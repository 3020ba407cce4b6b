#include "programs/panel/mouse_speed_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/driver_link.h"
#include "tests/programs/panel/panel_fixture.h"
#include "ui/colours.h"

namespace qx::test {
namespace {

class MouseSpeed : public PanelTest {
 protected:
  // Starts the panel with these device fields and opens the dialog with Alt+M.
  MouseSpeedDialog& Open(const std::string& fields) {
    DeviceService::Qxctl("set " + fields);
    EXPECT_EQ(Start(), LoadResult::Ready);
    Main().MouseSpeedClick();
    DeviceService::Qxctl("journal --clear");
    return *Main().frmMouseSpeed;
  }
};

TEST_F(MouseSpeed, OpensWithTheBlocksValues) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12 Acceleration=2 Bypass=0");
  EXPECT_EQ(d.windowTitle(), " TouchScreen Control Panel #QX-COM");
  EXPECT_EQ(d.findChild<QLabel*>("lblSystem")->text(), "TouchScreen Control Panel Version 7.0.COM");
  EXPECT_FALSE(d.chkBoth->isChecked());
  EXPECT_EQ(TextColour(d.chkBoth), kTeal);
  EXPECT_EQ(d.hscMouseHSpeed->value(), 8);
  EXPECT_EQ(d.hscMouseVSpeed->value(), 12);
  EXPECT_EQ(d.lblHS->text(), "40%");
  EXPECT_EQ(d.lblVS->text(), "60%");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  for (int i = 1; i <= 4; ++i) {
    QRadioButton* option = d.optAcceleration->Button(i);
    EXPECT_EQ(option->isChecked(), i == 2);
    EXPECT_EQ(TextColour(option), i == 2 ? kBlack : kTeal);
  }
  EXPECT_EQ(d.optAcceleration->Button(1)->text(), "Slow");
  EXPECT_EQ(d.optAcceleration->Button(4)->text(), "Off");
  EXPECT_EQ(d.chkBoth->text(), "Set Both Horizontal && Vertical ");
  EXPECT_EQ(TextColour(d.chkBypass), kTeal);
  EXPECT_TRUE(d.hscMouseHSpeed->isEnabled());
  EXPECT_FALSE(Main().isVisible());
  EXPECT_TRUE(JournalLines("Get").empty());  // no fresh settings are asked for
}

TEST_F(MouseSpeed, LabelsShowFromTheFirstDisplayAtTheDesignValue) {
  MouseSpeedDialog& d = Open("SpeedH=1 SpeedV=1");
  EXPECT_EQ(d.lblHS->text(), "5%");
  EXPECT_EQ(d.lblVS->text(), "5%");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  EXPECT_TRUE(d.chkBoth->isChecked());
  EXPECT_EQ(TextColour(d.chkBoth), kBlack);
}

TEST_F(MouseSpeed, MovingABarAndApplySendsSetMouseSpeedAndRebuildsTheSummary) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12 Acceleration=1 Bypass=0");
  d.hscMouseHSpeed->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(d.lblHS->text(), "45%");
  EXPECT_EQ(d.hscMouseVSpeed->value(), 12);  // not linked
  EXPECT_TRUE(d.cmdApply->isEnabled());
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  const auto sent = JournalLines("SetMouseSpeed");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("0xF2090"), std::string::npos);
  EXPECT_NE(sent[0].find("SpeedH=9"), std::string::npos) << sent[0];
  EXPECT_NE(sent[0].find("SpeedV=12"), std::string::npos) << sent[0];
  EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), "9\n");
  EXPECT_EQ(Main().lblMouseSpeed->text(), "HS=45%, VS=60%, Acceleration=Slow");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // Cancel after Apply keeps what was applied, and sends nothing more.
  d.hscMouseVSpeed->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QTest::mouseClick(d.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_FALSE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(JournalLines("SetMouseSpeed").size(), 1u);
  EXPECT_EQ(Settings.SpeedH, 9);
  EXPECT_EQ(Settings.SpeedV, 12);
  EXPECT_EQ(DeviceService::Qxctl("get SpeedH SpeedV"), "SpeedH=9\nSpeedV=12\n");

  // Opened again, the dialog starts from the applied values.
  Main().MouseSpeedClick();
  EXPECT_EQ(Main().frmMouseSpeed->hscMouseHSpeed->value(), 9);
}

TEST_F(MouseSpeed, OkWithApplyDisabledSendsNothing) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12");
  QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  Settle();
  EXPECT_FALSE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_TRUE(JournalLines("SetMouseSpeed").empty());
}

TEST_F(MouseSpeed, OkWithPendingChangesAppliesThem) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12 Acceleration=1");
  d.optAcceleration->Button(3)->click();
  QTest::keyClick(&d, Qt::Key_Return);  // Enter is OK
  Settle();
  EXPECT_FALSE(Main().frmMouseSpeed);
  ASSERT_EQ(JournalLines("SetMouseSpeed").size(), 1u);
  EXPECT_NE(JournalLines("SetMouseSpeed")[0].find("Acceleration=3"), std::string::npos);
  EXPECT_EQ(Main().lblMouseSpeed->text(), "HS=40%, VS=60%, Acceleration=Fast");
}

TEST_F(MouseSpeed, EscapeAndTheCloseBoxCancel) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12");
  d.hscMouseHSpeed->setValue(3);
  QTest::keyClick(&d, Qt::Key_Escape);
  Settle();
  EXPECT_FALSE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().isVisible());
  Main().MouseSpeedClick();
  Main().frmMouseSpeed->close();
  Settle();
  EXPECT_FALSE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_TRUE(JournalLines("SetMouseSpeed").empty());
  EXPECT_EQ(Settings.SpeedH, 8);
}

TEST_F(MouseSpeed, BothLinksTheBarsFromTheNextChangeOn) {
  MouseSpeedDialog& d = Open("SpeedH=12 SpeedV=12");
  ASSERT_TRUE(d.chkBoth->isChecked());
  d.hscMouseVSpeed->setValue(15);
  EXPECT_EQ(d.hscMouseHSpeed->value(), 15);
  EXPECT_EQ(d.lblHS->text(), "75%");

  QTest::mouseClick(d.chkBoth, Qt::LeftButton);  // unchecked
  EXPECT_EQ(TextColour(d.chkBoth), kTeal);
  d.hscMouseHSpeed->setValue(4);
  EXPECT_EQ(d.hscMouseVSpeed->value(), 15);

  QTest::mouseClick(d.chkBoth, Qt::LeftButton);  // checked again: nothing equalised yet
  EXPECT_EQ(TextColour(d.chkBoth), kBlack);
  EXPECT_EQ(d.hscMouseHSpeed->value(), 4);
  EXPECT_EQ(d.hscMouseVSpeed->value(), 15);
  d.hscMouseVSpeed->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(d.hscMouseHSpeed->value(), 14);
  EXPECT_EQ(d.lblHS->text(), "70%");
}

TEST_F(MouseSpeed, DraggingMirrorsAtOnceAndUpdatesTheDraggedLabelAtTheEnd) {
  MouseSpeedDialog& d = Open("SpeedH=10 SpeedV=10");
  d.hscMouseHSpeed->setSliderDown(true);
  d.hscMouseHSpeed->setSliderPosition(16);
  EXPECT_EQ(d.hscMouseVSpeed->value(), 16);
  EXPECT_EQ(d.lblVS->text(), "80%");
  EXPECT_EQ(d.lblHS->text(), "50%");  // not yet
  d.hscMouseHSpeed->setSliderDown(false);
  EXPECT_EQ(d.lblHS->text(), "80%");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  DragThumb(d.hscMouseHSpeed, {12, 10});
  EXPECT_EQ(d.lblHS->text(), "50%");
  EXPECT_FALSE(d.cmdApply->isEnabled());
}

TEST_F(MouseSpeed, BypassGreysTheSpeedControlsAndDrivesApply) {
  MouseSpeedDialog& d = Open("SpeedH=8 SpeedV=12 Bypass=0");
  QTest::mouseClick(d.chkBypass, Qt::LeftButton);
  EXPECT_FALSE(d.chkBoth->isEnabled());
  EXPECT_FALSE(d.hscMouseHSpeed->isEnabled());
  EXPECT_FALSE(d.hscMouseVSpeed->isEnabled());
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(d.optAcceleration->Button(i)->isEnabled());
  EXPECT_EQ(d.hscMouseHSpeed->value(), 8);  // values kept
  EXPECT_TRUE(d.cmdApply->isEnabled());
  QTest::mouseClick(d.chkBypass, Qt::LeftButton);
  EXPECT_TRUE(d.hscMouseVSpeed->isEnabled());
  EXPECT_FALSE(d.cmdApply->isEnabled());

  QTest::mouseClick(d.chkBypass, Qt::LeftButton);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Main().lblMouseSpeed->text(), "Enable Bypass Mode");
  EXPECT_EQ(DeviceService::Qxctl("get Bypass"), "1\n");
}

TEST_F(MouseSpeed, OpensGreyedWhenBypassIsOn) {
  MouseSpeedDialog& d = Open("Bypass=1 SpeedH=3 SpeedV=3");
  EXPECT_TRUE(d.chkBypass->isChecked());
  EXPECT_FALSE(d.hscMouseHSpeed->isEnabled());
  EXPECT_FALSE(d.cmdApply->isEnabled());
}

TEST_F(MouseSpeed, ChoosingTheChosenAccelerationLeavesApplyAsItWas) {
  MouseSpeedDialog& d = Open("Acceleration=2 SpeedH=8 SpeedV=12");
  d.optAcceleration->Button(2)->click();
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.optAcceleration->Button(4)->click();
  EXPECT_TRUE(d.cmdApply->isEnabled());
  EXPECT_EQ(TextColour(d.optAcceleration->Button(2)), kTeal);
  d.optAcceleration->Button(2)->click();
  EXPECT_FALSE(d.cmdApply->isEnabled());
}

// Speeds beyond the bars stand at their ends and are written back as stored until the person
// moves a bar; the bypass shows checked for any value but 0 and is written as 1.
TEST_F(MouseSpeed, FieldsOutOfRangeOpenSafely) {
  MouseSpeedDialog& d = Open("SpeedH=0 SpeedV=200 Acceleration=9 Bypass=0");
  EXPECT_EQ(d.hscMouseHSpeed->value(), 1);
  EXPECT_EQ(d.hscMouseVSpeed->value(), 20);
  EXPECT_EQ(d.lblHS->text(), "0%");
  EXPECT_EQ(d.lblVS->text(), "1000%");
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(d.optAcceleration->Button(i)->isChecked());
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.chkBypass->click();
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent("SetMouseSpeed"), std::vector<std::string>{"Bypass=1 SpeedH=0 SpeedV=200 Acceleration=9"});
  d.chkBypass->click();
  QTest::keyClick(d.hscMouseHSpeed, Qt::Key_Right);
  EXPECT_EQ(d.lblHS->text(), "10%");
  QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  EXPECT_EQ(Sent("SetMouseSpeed").back(), "Bypass=0 SpeedH=2 SpeedV=200 Acceleration=9");
}

}  // namespace
}  // namespace qx::test
