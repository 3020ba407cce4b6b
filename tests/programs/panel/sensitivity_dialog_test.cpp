#include "programs/panel/sensitivity_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/driver_link.h"
#include "tests/programs/panel/panel_fixture.h"
#include "ui/colours.h"

namespace qx::test {
namespace {

class Sensitivity : public PanelTest {
 protected:
  // The Touch Sensitivity button is designed hidden and disabled: its click is run directly.
  SensitivityDialog& Open(const std::string& fields) {
    StartWith(fields);
    Main().SensitivityClick();
    EXPECT_FALSE(Main().isVisible());
    return *Main().frmSensitivity;
  }
  // The colour on screen in the middle of the box's left edge strip, inside its border.
  static QColor BoxColour(SensitivityDialog& d) {
    return d.grab().toImage().pixelColor(d.lblTestBox0->geometry().left() + 4, d.lblTestBox0->geometry().center().y());
  }
};

TEST_F(Sensitivity, OpensAtTheLevelAndAppliesItAsStored) {
  SensitivityDialog& d = Open("Sensitivity=64");
  EXPECT_EQ(d.hscSensitivity->value(), 63);
  EXPECT_EQ(d.lblSV->text(), " 63");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // The label follows the thumb; Apply follows the bar when the drag ends.
  d.hscSensitivity->setSliderDown(true);
  d.hscSensitivity->setSliderPosition(100);
  EXPECT_EQ(d.lblSV->text(), " 100");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.hscSensitivity->setSliderDown(false);
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.hscSensitivity->setValue(63);
  EXPECT_FALSE(d.cmdApply->isEnabled());

  d.hscSensitivity->setValue(100);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent("SetSensitivity"), std::vector<std::string>{"Sensitivity=27"});
  EXPECT_EQ(Main().lblSensitivity->text(), "Level 100");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  d.hscSensitivity->setValue(5);
  QTest::mouseClick(d.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(DeviceService::Qxctl("get Sensitivity"), "27\n");
  EXPECT_EQ(Sent("SetSensitivity").size(), 1u);
}

TEST_F(Sensitivity, TheEndsStoreTheirOpposites) {
  SensitivityDialog& d = Open("Sensitivity=64");
  EXPECT_EQ(d.findChild<QLabel*>("lblLight")->text(), "Light");
  d.hscSensitivity->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(d.lblSV->text(), " 0");
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Main().lblSensitivity->text(), "Level 0");
  d.hscSensitivity->triggerAction(QAbstractSlider::SliderToMaximum);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Main().lblSensitivity->text(), "Level 127");
  EXPECT_EQ(Sent("SetSensitivity"), (std::vector<std::string>{"Sensitivity=127", "Sensitivity=0"}));
}

TEST_F(Sensitivity, TheTestBoxLightsWhilePressedOnEitherPartAndSendsNothing) {
  SensitivityDialog& d = Open("");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  const QColor unlit = BoxColour(d);
  EXPECT_NE(unlit, kYellow);

  QTest::mousePress(d.lblTestBox1, Qt::LeftButton);  // on the caption
  EXPECT_EQ(BoxColour(d), kYellow) << "the whole box, not only the caption";
  QTest::mouseRelease(d.lblTestBox1, Qt::LeftButton, {}, QPoint(-200, -200));  // let go outside the box
  EXPECT_EQ(BoxColour(d), unlit);

  QTest::mousePress(d.lblTestBox0, Qt::LeftButton, {}, QPoint(6, 6));  // on the box, off the caption
  EXPECT_EQ(BoxColour(d), kYellow);
  QTest::mouseRelease(d.lblTestBox0, Qt::LeftButton, {}, QPoint(6, 6));
  EXPECT_EQ(BoxColour(d), unlit);
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");
}

// A stored value above 127 is a negative level: shown so, and kept unless the bar is moved.
TEST_F(Sensitivity, AStoredValueAbove127IsShownAndKept) {
  SensitivityDialog& d = Open("Sensitivity=200");
  EXPECT_EQ(Main().lblSensitivity->text(), "Level -73");
  EXPECT_EQ(d.hscSensitivity->value(), 0);
  EXPECT_EQ(d.lblSV->text(), "-73");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  QTest::keyClick(&d, Qt::Key_Return);
  Settle();
  EXPECT_TRUE(Sent("SetSensitivity").empty());
  EXPECT_EQ(DeviceService::Qxctl("get Sensitivity"), "200\n");
}

}  // namespace
}  // namespace qx::test
