#include <gtest/gtest.h>

#include <QRadioButton>
#include <QSignalSpy>
#include <QWidget>

#include "ui/colours.h"
#include "ui/option_group.h"
#include "ui/scroll_bar.h"

namespace qx {
namespace {

struct BarSpies {
  explicit BarSpies(ScrollBar* bar) : change(bar, &ScrollBar::Change), scroll(bar, &ScrollBar::Scroll) {}
  QSignalSpy change;
  QSignalSpy scroll;
};

TEST(ScrollBar, ChangeForEveryValueChangeOutsideADrag) {
  QWidget parent;
  ScrollBar bar(&parent, "hscTest", 1, 20, 1, 2);
  EXPECT_EQ(bar.objectName(), "hscTest");
  BarSpies spies(&bar);
  bar.setValue(5);
  bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar.triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(bar.value(), 4);
  EXPECT_EQ(spies.change.count(), 3);
  bar.setValue(4);   // no change, no notification
  bar.setValue(99);  // clamped to the maximum
  EXPECT_EQ(bar.value(), 20);
  EXPECT_EQ(spies.change.count(), 4);
  EXPECT_EQ(spies.scroll.count(), 0);
}

TEST(ScrollBar, ScrollWhileTheThumbIsDraggedAndOneChangeWhenItIsLetGo) {
  QWidget parent;
  ScrollBar bar(&parent, "hscTest", 1, 20, 1, 2);
  bar.setValue(3);
  BarSpies spies(&bar);
  bar.setSliderDown(true);
  bar.setSliderPosition(6);
  bar.setSliderPosition(8);
  EXPECT_EQ(spies.scroll.count(), 2);
  EXPECT_EQ(spies.change.count(), 0);
  bar.setSliderDown(false);
  EXPECT_EQ(spies.change.count(), 1);
  EXPECT_EQ(bar.value(), 8);

  // A drag that ends where it began changes nothing.
  bar.setSliderDown(true);
  bar.setSliderPosition(9);
  bar.setSliderPosition(8);
  bar.setSliderDown(false);
  EXPECT_EQ(spies.change.count(), 1);
}

class Options : public ::testing::Test {
 protected:
  Options() {
    for (int i = 1; i <= 4; ++i) {
      buttons[i] = new QRadioButton(QString::number(i), &parent);
      group.Add(i, buttons[i]);
    }
  }
  QWidget parent;
  OptionGroup group{&parent};
  QRadioButton* buttons[5] = {};
};

TEST_F(Options, LoadSetsThePendingButtonInBlackAndLeavesTheOthersTeal) {
  group.Load(2);
  EXPECT_EQ(group.Pending(), 2);
  EXPECT_TRUE(buttons[2]->isChecked());
  EXPECT_EQ(TextColour(buttons[2]), kBlack);
  for (int i : {1, 3, 4}) {
    EXPECT_FALSE(buttons[i]->isChecked());
    EXPECT_EQ(TextColour(buttons[i]), kTeal);
  }
}

TEST_F(Options, ChoosingAnotherButtonSwapsColoursAndReportsOnce) {
  group.Load(2);
  QSignalSpy changed(&group, &OptionGroup::Changed);
  buttons[4]->click();
  EXPECT_EQ(group.Pending(), 4);
  EXPECT_TRUE(buttons[4]->isChecked());
  EXPECT_FALSE(buttons[2]->isChecked());
  EXPECT_EQ(TextColour(buttons[4]), kBlack);
  EXPECT_EQ(TextColour(buttons[2]), kTeal);
  EXPECT_EQ(changed.count(), 1);
  buttons[4]->click();  // the pending one again: nothing
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(TextColour(buttons[4]), kBlack);
}

TEST_F(Options, PendingValueWithoutAButtonShowsNoneChosen) {
  group.Load(7);
  EXPECT_EQ(group.Pending(), 7);
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(buttons[i]->isChecked());
  QSignalSpy changed(&group, &OptionGroup::Changed);
  buttons[1]->click();
  EXPECT_EQ(group.Pending(), 1);
  EXPECT_EQ(changed.count(), 1);
}

}  // namespace
}  // namespace qx
