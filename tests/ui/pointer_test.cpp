#include "ui/pointer.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include "host/cursor.h"
#include "host/program_state.h"

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
    ResetProgramState();
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

TEST_F(Pointer, BusyPointerCountsItsUsersAndOtherCodesSetTheShapeAlone) {
  BusyPointer(kHourglassPointer);
  BusyPointer(kHourglassPointer);
  EXPECT_EQ(Override(), Qt::WaitCursor);
  BusyPointer(kDefaultPointer);
  EXPECT_EQ(ScreenPointer(), kHourglassPointer) << "one user is still busy";
  EXPECT_EQ(Override(), Qt::WaitCursor);
  BusyPointer(kDefaultPointer);
  EXPECT_EQ(ScreenPointer(), kDefaultPointer);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  BusyPointer(kDefaultPointer);  // never below 0: the next hourglass shows at once
  EXPECT_EQ(BusyCount(), 0);
  BusyPointer(kHourglassPointer);
  EXPECT_EQ(Override(), Qt::WaitCursor);

  BusyPointer(2);  // a shape of its own, the count left as it was
  EXPECT_EQ(Override(), Qt::CrossCursor);
  EXPECT_EQ(BusyCount(), 1);
  {
    Hourglass work;  // a button's work shows the hourglass over it, and gives the shape back
    EXPECT_EQ(Override(), Qt::WaitCursor);
  }
  EXPECT_EQ(Override(), Qt::CrossCursor);
  BusyPointer(kDefaultPointer);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace qx
