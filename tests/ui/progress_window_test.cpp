#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>

#include "host/program_state.h"
#include "ui/pointer.h"
#include "ui/twips.h"
#include "ui/window_program.h"

namespace qx {
namespace {

class Progress : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramTitle("TouchScreen Driver Installation"); }
  void TearDown() override {
    ResetProgramState();
    SetProgramTitle("");
  }
  static int MiddleTwips(const QWidget* w) { return TopTwips(w) + HeightTwips(w) / 2; }
};

TEST_F(Progress, AShortMessageSitsBesideTheIconInAWindowTwiceTheIconsHeight) {
  ShowProgress("Setup is updating your system...");
  ProgressWindow* window = ShownProgressWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->objectName(), "frmMessage");
  EXPECT_EQ(window->windowTitle(), "TouchScreen Driver Installation");
  EXPECT_EQ(window->lblMsg->text(), "Setup is updating your system...");
  EXPECT_EQ(HeightTwips(window), 2 * HeightTwips(window->imgMsg));
  // Both centred on the inner height (within a pixel of rounding).
  EXPECT_NEAR(MiddleTwips(window->imgMsg), HeightTwips(window) / 2, kTwipsPerPixel);
  EXPECT_NEAR(MiddleTwips(window->lblMsg), HeightTwips(window) / 2, kTwipsPerPixel);
  EXPECT_GT(window->lblMsg->x(), window->imgMsg->x() + window->imgMsg->width());
  EXPECT_EQ(ScreenPointer(), kDefaultPointer) << "the hourglass is only for the placing";
}

TEST_F(Progress, ALongMessageMakesTheWindowTallerAndANewMessageReusesTheWindow) {
  ShowProgress("Removing files from your system...");
  QPointer<ProgressWindow> first = ShownProgressWindow();
  const int shortHeight = HeightTwips(first);

  std::string lines;
  for (int i = 0; i < 8; ++i) lines += "A line of the message that wraps within the window's width. ";
  ShowProgress(lines);
  ASSERT_EQ(ShownProgressWindow(), first.data());
  const int labelHeight = HeightTwips(first->lblMsg);
  ASSERT_GT(labelHeight, shortHeight);
  EXPECT_EQ(HeightTwips(first), labelHeight + HeightTwips(first->imgMsg) / 2);
  EXPECT_NEAR(MiddleTwips(first->lblMsg), HeightTwips(first) / 2, kTwipsPerPixel);

  CloseProgress();
  EXPECT_EQ(ShownProgressWindow(), nullptr);
  QTRY_VERIFY(first.isNull());  // unloaded, not merely hidden
  CloseProgress();              // nothing shown: nothing to do
}

}  // namespace
}  // namespace qx
