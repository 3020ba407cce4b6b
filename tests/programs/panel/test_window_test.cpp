// The touch test window in the control panel's process against a real device service: the touch
// mode while it is open and after, the pen and its rules, the tool bar.
#include "programs/panel/test_window.h"

#include <gtest/gtest.h>

#include <QTest>

#include "core/driver_link.h"
#include "tests/programs/panel/panel_fixture.h"
#include "ui/colours.h"

namespace qx::test {
namespace {

const QColor kBluePen(0, 0, 255), kRedPen(255, 0, 0), kPaper(255, 255, 255);

class TouchTest : public PanelTest {
 protected:
  TestWindow& Open(const std::string& fields = "") {
    if (!fields.empty()) DeviceService::Qxctl("set " + fields);
    EXPECT_EQ(Start(), LoadResult::Ready);
    DeviceService::Qxctl("journal --clear");
    Main().TestClick();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Main().frmTest));
    return *Main().frmTest;
  }
  QImage Pad() { return Main().frmTest->picHome->image(); }
  // How many pixels of column X, rows FROM..TO, have COLOUR.
  int InColumn(int x, int from, int to, const QColor& colour) {
    const QImage pad = Pad();
    int n = 0;
    for (int y = from; y <= to; ++y) n += pad.pixelColor(x, y) == colour;
    return n;
  }
};

class TouchModeAround : public TouchTest, public ::testing::WithParamInterface<int> {};

TEST_P(TouchModeAround, DragDropWhileOpenAndTheModeItFoundAfter) {
  const int before = GetParam();
  TestWindow& test = Open("TouchMode=" + std::to_string(before));
  EXPECT_EQ(JournalLines("SetTouchMode").size(), 1u);
  EXPECT_NE(JournalLines("SetTouchMode").at(0).find("TouchMode=4 "), std::string::npos);
  EXPECT_FALSE(Main().isVisible());
  // Width index 1 and blue chosen, as by a click.
  EXPECT_EQ(test.WidthIndex(), 1);
  EXPECT_EQ(TextColour(test.lblWidth[1]), kYellow);
  EXPECT_EQ(BackColour(test.lblWidth[1]), QColor(64, 64, 64));
  EXPECT_EQ(BackColour(test.lblWidth[0]), QColor(224, 224, 224));
  // Its single border stays black under the yellow caption.
  const QImage selected = test.lblWidth[1]->grab().toImage();
  EXPECT_EQ(selected.pixelColor(0, selected.height() / 2), kBlack);
  EXPECT_EQ(selected.pixelColor(selected.width() / 2, selected.height() - 1), kBlack);
  EXPECT_EQ(test.ColorIndex(), 3);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(test.lblColor[i]->frameShape() == QFrame::Box, i == 3) << i;
  // Closed by its Exit button, or by another program as its close box would.
  if (before == 4) QTest::mouseClick(test.cmdExit, Qt::LeftButton);
  else test.close();
  Settle();
  EXPECT_TRUE(Main().isVisible());
  ASSERT_EQ(JournalLines("SetTouchMode").size(), 2u);
  EXPECT_NE(JournalLines("SetTouchMode").at(1).find("TouchMode=" + std::to_string(before) + " "), std::string::npos);
  EXPECT_EQ(Settings.TouchMode, before);
}

INSTANTIATE_TEST_SUITE_P(LiftOffOrDragDrop, TouchModeAround, ::testing::Values(2, 4));

TEST_F(TouchTest, StrokesFollowThePenRules) {
  TestWindow& test = Open();
  QWidget* pad = test.picHome;
  // A stroke with the left button: blue, 2 pixels wide, at once.
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseMove(pad, QPoint(120, 20));
  EXPECT_EQ(InColumn(70, 10, 30, kBluePen), 2);
  EXPECT_TRUE(Lit(test.lblButton[0]));
  // The right button while the left is held: a line to where it went down, both lit.
  QTest::mousePress(pad, Qt::RightButton, {}, QPoint(120, 80));
  EXPECT_EQ(Pad().pixelColor(120, 50), kBluePen);
  EXPECT_TRUE(Lit(test.lblButton[0]));
  EXPECT_TRUE(Lit(test.lblButton[2]));
  EXPECT_FALSE(Lit(test.lblButton[1]));
  // Releasing either button ends the stroke.
  QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(120, 80));
  EXPECT_FALSE(Lit(test.lblButton[2]));
  EXPECT_TRUE(Lit(test.lblButton[0]));
  EXPECT_FALSE(test.PenDown());
  QTest::mouseMove(pad, QPoint(300, 300));
  EXPECT_EQ(InColumn(200, 80, 300, kBluePen), 0);
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_FALSE(Lit(test.lblButton[0]));
  // The middle button lights "M" and sets a dot.
  QTest::mousePress(pad, Qt::MiddleButton, {}, QPoint(400, 400));
  EXPECT_TRUE(Lit(test.lblButton[1]));
  EXPECT_EQ(Pad().pixelColor(400, 400), kBluePen);
  QTest::mouseRelease(pad, Qt::MiddleButton, {}, QPoint(400, 400));
  EXPECT_FALSE(Lit(test.lblButton[1]));
  test.close();
}

TEST_F(TouchTest, ChoosingTheChosenChangesNothingAndClearKeepsThePen) {
  TestWindow& test = Open();
  QTest::mouseClick(test.lblWidth[1], Qt::LeftButton);
  QTest::mouseClick(test.lblColor[3], Qt::LeftButton);
  EXPECT_EQ(BackColour(test.lblWidth[1]), QColor(64, 64, 64));
  EXPECT_EQ(test.lblColor[3]->frameShape(), QFrame::Box);
  // A press over a label chooses it.
  QTest::mousePress(test.lblWidth[3], Qt::LeftButton);
  QTest::mousePress(test.lblColor[1], Qt::LeftButton);
  EXPECT_EQ(BackColour(test.lblWidth[1]), QColor(224, 224, 224));
  EXPECT_EQ(TextColour(test.lblWidth[1]), kBlack);
  EXPECT_EQ(test.lblColor[3]->frameShape(), QFrame::NoFrame);
  QWidget* pad = test.picHome;
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(20, 40));
  QTest::mouseMove(pad, QPoint(120, 40));
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(120, 40));
  QTest::mouseClick(test.cmdClear, Qt::LeftButton);
  EXPECT_EQ(InColumn(70, 0, 100, kPaper), 101);
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(20, 40));
  QTest::mouseMove(pad, QPoint(120, 40));
  EXPECT_EQ(InColumn(70, 30, 50, kRedPen), 4);
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(120, 40));
  test.close();
}

TEST_F(TouchTest, BarsArePackedFromTheRightAtEverySize) {
  TestWindow& test = Open();
  for (QSize size : {QSize(1024, 768), QSize(801, 601)}) {
    test.resize(size);
    const int w = size.width(), h = test.picMesg->height();
    const int g = (h - test.lblButton[0]->height()) / 2;
    EXPECT_EQ(test.picMesg->geometry(), QRect(0, size.height() - 37, w, 37));
    EXPECT_EQ(test.picHome->geometry(), QRect(0, 41, w, size.height() - 41 - 37));
    EXPECT_EQ(test.lblButton[2]->geometry().right() + 1, w - g);
    EXPECT_EQ(test.lblButton[2]->y(), g);
    // Neighbours a gap apart, groups two gaps apart, the help box filling the rest.
    EXPECT_EQ(test.lblButton[0]->x() - g, test.lblButtonName->geometry().right() + 1);
    EXPECT_EQ(test.lblButtonName->x() - 2 * g, test.lblColor[4]->geometry().right() + 1);
    EXPECT_EQ(test.lblColorName->x() - 2 * g, test.lblWidth[3]->geometry().right() + 1);
    EXPECT_EQ(test.lblWidthName->x() - 2 * g, test.lblHelpBox->geometry().right() + 1);
    EXPECT_EQ(test.lblHelp->x(), test.lblHelp->y());
    EXPECT_EQ(test.lblHelp->width(), test.lblHelpBox->width() - 2 * test.lblHelp->x());
    // The header: Exit at the right as far in as it is down, Clear the same way before it.
    const int top = test.cmdExit->y();
    EXPECT_EQ(top, test.imgIcon->y());
    EXPECT_EQ(test.cmdExit->geometry().right() + 1, w - top);
    EXPECT_EQ(test.cmdExit->height(), 41 - 2 * top);
    EXPECT_EQ(test.cmdClear->geometry().right() + 1, test.cmdExit->x() - top);
    EXPECT_EQ(test.lblTitle->x(), 3 * test.imgIcon->x() + test.imgIcon->width());
  }
  test.close();
}

}  // namespace
}  // namespace qx::test
