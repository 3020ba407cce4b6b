#include "programs/panel/feedback_sound_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/driver_link.h"
#include "tests/programs/panel/panel_fixture.h"

namespace qx::test {
namespace {

class FeedbackSound : public PanelTest {
 protected:
  FeedbackSoundDialog& Open(const std::string& fields) {
    StartWith(fields);
    QTest::mouseClick(Main().cmdFeedbackSound, Qt::LeftButton);
    return *Main().frmFeedbackSound;
  }
  // One press of the test button: down, then up.
  static void PressTest(FeedbackSoundDialog& d) {
    QTest::mousePress(d.cmdSoundTest, Qt::LeftButton);
    QTest::mouseRelease(d.cmdSoundTest, Qt::LeftButton);
  }
};

TEST_F(FeedbackSound, OpensWithTheBlocksValuesAndAppliesExactlyItsFields) {
  FeedbackSoundDialog& d = Open("SoundMode=2 SoundTone=1500 SoundDuration=30");
  EXPECT_FALSE(Main().isVisible());
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(d.optFeedbackSound->Button(i)->isChecked(), i == 2);
  EXPECT_EQ(d.optFeedbackSound->Button(1)->text(), " Silence ( No Sound )");
  EXPECT_EQ(d.optFeedbackSound->Button(4)->text(), " Both Touch Down && Lift Off");  // shown with one "&"
  EXPECT_EQ(d.hscTone->value(), 1500);
  EXPECT_EQ(d.lblTone->text(), "1500");
  EXPECT_EQ(d.lblDuration->text(), "30");
  EXPECT_FALSE(d.cmdSoundTest->isEnabled());
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // A bar moved away and back leaves nothing to apply.
  d.hscTone->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(d.lblTone->text(), "1600");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.hscTone->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // The duration label follows the thumb while it is dragged.
  d.hscDuration->setSliderDown(true);
  d.hscDuration->setSliderPosition(45);
  EXPECT_EQ(d.lblDuration->text(), "45");
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.hscDuration->setSliderDown(false);
  QTest::mouseClick(d.optFeedbackSound->Button(3), Qt::LeftButton);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent("SetFeedbackSound"), std::vector<std::string>{"SoundMode=3 SoundTone=1500 SoundDuration=45"});
  EXPECT_EQ(Main().lblFeedbackSound->text(), "Lift Off Only");
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // Cancel after Apply: the applied values stay, the pending tone goes.
  d.hscTone->setValue(4000);
  QTest::mouseClick(d.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(Sent("SetFeedbackSound").size(), 1u);
  EXPECT_EQ(DeviceService::Qxctl("get SoundMode SoundTone SoundDuration"),
            "SoundMode=3\nSoundTone=1500\nSoundDuration=45\n");
  EXPECT_EQ(Main().lblFeedbackSound->text(), "Lift Off Only");
}

TEST_F(FeedbackSound, OnePressTestsTheShownValuesTwiceWithoutApplying) {
  FeedbackSoundDialog& d = Open("SoundMode=1 SoundTone=200 SoundDuration=10");
  ASSERT_TRUE(d.cmdSoundTest->isEnabled());
  EXPECT_EQ(d.cmdSoundTest->text(), "Touch Here to Test");
  PressTest(d);
  EXPECT_EQ(Sent("PlayTestSound"), (std::vector<std::string>{"Tone=200 Duration=10", "Tone=200 Duration=10"}));

  DeviceService::Qxctl("journal --clear");
  d.hscTone->setValue(1200);
  PressTest(d);
  EXPECT_EQ(Sent("PlayTestSound"), (std::vector<std::string>{"Tone=1200 Duration=10", "Tone=1200 Duration=10"}));
  EXPECT_TRUE(Sent("SetFeedbackSound").empty());
  EXPECT_EQ(Settings.SoundTone, 200);
}

TEST_F(FeedbackSound, TheTestIsOfferedOnlyWhenSilenceIsApplied) {
  FeedbackSoundDialog& d = Open("SoundMode=3");
  EXPECT_FALSE(d.cmdSoundTest->isEnabled());
  PressTest(d);
  EXPECT_TRUE(Sent("PlayTestSound").empty());
  QTest::mouseClick(d.optFeedbackSound->Button(1), Qt::LeftButton);
  EXPECT_FALSE(d.cmdSoundTest->isEnabled()) << "choosing is not applying";
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_TRUE(d.cmdSoundTest->isEnabled());
  QTest::mouseClick(d.optFeedbackSound->Button(4), Qt::LeftButton);
  EXPECT_TRUE(d.cmdSoundTest->isEnabled());
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_FALSE(d.cmdSoundTest->isEnabled());
  EXPECT_EQ(Main().lblFeedbackSound->text(), "Both Touch Down & Lift Off");
}

// A tone, a duration and a mode the bars and options cannot show are shown as they are and never
// written unless the person changes them.
TEST_F(FeedbackSound, FieldsOutOfRangeAreShownAndKept) {
  FeedbackSoundDialog& d = Open("SoundMode=0 SoundTone=9999 SoundDuration=5");
  EXPECT_EQ(d.hscTone->value(), 5000);
  EXPECT_EQ(d.lblTone->text(), "9999");
  EXPECT_EQ(d.hscDuration->value(), 10);
  EXPECT_EQ(d.lblDuration->text(), "5");
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(d.optFeedbackSound->Button(i)->isChecked());
  EXPECT_FALSE(d.cmdSoundTest->isEnabled());
  EXPECT_FALSE(d.cmdApply->isEnabled());
  EXPECT_EQ(Main().lblFeedbackSound->text(), "Invalid#0");

  d.hscTone->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(d.lblTone->text(), "4999");
  QTest::keyClick(&d, Qt::Key_Return);  // OK applies
  Settle();
  EXPECT_EQ(Sent("SetFeedbackSound"), std::vector<std::string>{"SoundMode=0 SoundTone=4999 SoundDuration=5"});
}

}  // namespace
}  // namespace qx::test
