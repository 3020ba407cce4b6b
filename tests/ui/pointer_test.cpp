#include "ui/pointer.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include "host/cursor.h"

namespace qx {
namespace {

Qt::CursorShape Override() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor ? cursor->shape() : Qt::ArrowCursor;
}

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override { InstallPointerHook(); }
  void TearDown() override {
    RestoreCursor();
    // Back to a count of exactly 0 for the next test.
    int count = ShowCursor(FALSE);
    while (count < 0) count = ShowCursor(TRUE);
  }
};

TEST_F(Pointer, HideCursorTakesTheCountBelowZeroWhateverItWas) {
  ShowCursor(TRUE);
  ShowCursor(TRUE);  // count 2
  HideCursor();
  EXPECT_EQ(ShowCursor(TRUE), 0);  // it was -1
  ShowCursor(FALSE);
  HideCursor();
  EXPECT_EQ(ShowCursor(FALSE), -3);  // HideCursor always calls at least once: -1 became -2
  RestoreCursor();
  EXPECT_EQ(ShowCursor(FALSE), -1);  // RestoreCursor stopped at 0
}

TEST_F(Pointer, HourglassWhileWorkRunsAndBlankWhileHidden) {
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  {
    Hourglass outer;
    EXPECT_EQ(Override(), Qt::WaitCursor);
    {
      Hourglass inner;
      EXPECT_EQ(Override(), Qt::WaitCursor);
    }
    EXPECT_EQ(Override(), Qt::WaitCursor);
    HideCursor();
    EXPECT_EQ(Override(), Qt::BlankCursor);
  }
  // The work ended while the pointer was hidden: it stays hidden.
  EXPECT_EQ(Override(), Qt::BlankCursor);
  RestoreCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace qx
