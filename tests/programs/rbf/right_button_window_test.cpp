// The right-button window in this process against a real device service: its place, and what
// happens inside a wait (the button hidden, the cancels, a close, a driver gone).
#include "programs/rbf/right_button_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/driver_link.h"
#include "host/desktop.h"
#include "host/desktop_qt.h"
#include "host/program_state.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"
#include "tests/support/message_recorder.h"
#include "tests/support/right_button_programs.h"
#include "tests/support/temp_root.h"

namespace qx::test {
namespace {

class RightButton : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallDesktopHook();  // as every window program has it
    // The desktop's panel along the bottom of the screen: the work area ends above it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    workArea = screen.adjusted(0, 0, 0, -kPanelHeight);
    previousScreen = SetScreenSource([screen, area = workArea] {
      return ScreenGeometry{{screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1},
                            {area.left(), area.top(), area.right() + 1, area.bottom() + 1}};
    });
    ASSERT_EQ(window.Load(), LoadResult::Ready);
    own = WindowHandle(&window);
  }
  void TearDown() override {
    window.close();
    SetScreenSource(std::move(previousScreen));
    ResetProgramState();
  }

  // Presses the button; DURING runs inside the wait that follows, once the driver is armed. A
  // wait that DURING did not end is ended after 5 s, and the test fails.
  void PressDuringWait(const std::function<void()>& during) {
    QTimer::singleShot(0, &window, [&] {
      armedInWait = WaitForRbf([](const RbfState& s) { return s.armed == 1; }).armed == 1;
      hiddenInWait = window.cmdAction->isHidden();
      during();
    });
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [&] { window.Waiting = 0; });
    stuck.start(5000);
    QTest::mouseClick(window.cmdAction, Qt::LeftButton);  // returns when the wait has ended
    EXPECT_TRUE(stuck.isActive()) << "the wait did not end by itself";
  }

  TempRoot root;
  DeviceService service;
  MessageRecorder boxes;
  static constexpr int kPanelHeight = 40;
  QRect workArea;
  ScreenSource previousScreen;
  RightButtonWindow window;
  HWND own = 0;
  bool armedInWait = false;
  bool hiddenInWait = false;
};

TEST_F(RightButton, LoadsAsAFortyPixelButtonOnTopInTheWorkAreasCorner) {
  EXPECT_EQ(window.windowTitle(), " C-RBF");
  EXPECT_EQ(window.size(), QSize(40, 40));
  EXPECT_EQ(window.cmdAction->geometry(), QRect(0, 0, 40, 40));
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible());
  // Directly above the panel, at the right edge of the screen.
  EXPECT_EQ(window.frameGeometry().bottomRight(), workArea.bottomRight());
  EXPECT_EQ(window.frameGeometry().bottom(), QGuiApplication::primaryScreen()->geometry().bottom() - kPanelHeight);
  const RbfState state = ReadRbf();
  EXPECT_EQ(state.window, own);
  EXPECT_EQ(state.armed, 0);
}

// The button hides while the driver is armed; a character key or a left press on the window
// ends the wait (a key without a character does not), disarms and brings the button back.
TEST_F(RightButton, ACharacterKeyOrALeftPressOnTheWindowCancels) {
  const std::pair<const char*, std::function<void()>> cancels[] = {
      {"a key", [&] { QTest::keyClick(&window, Qt::Key_X); }},
      {"a left press", [&] { QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(20, 20)); }},
  };
  for (const auto& [what, cancel] : cancels) {
    SCOPED_TRACE(what);
    bool shiftCancelled = true;
    PressDuringWait([&] {
      QTest::keyClick(&window, Qt::Key_Shift);
      shiftCancelled = window.Waiting == 0;
      cancel();
    });
    EXPECT_TRUE(armedInWait);
    EXPECT_TRUE(hiddenInWait);
    EXPECT_FALSE(shiftCancelled);
    EXPECT_TRUE(window.cmdAction->isVisible());
    EXPECT_EQ(window.Waiting, 0);
    EXPECT_EQ(ReadRbf().armed, 0);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RightButton, ClosingDuringAWaitEndsItAndDeregisters) {
  PressDuringWait([&] { window.close(); });
  EXPECT_TRUE(armedInWait);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.Waiting, 0);
  const RbfState state = ReadRbf();
  EXPECT_EQ(state.window, -1);
  EXPECT_EQ(state.armed, 0);
}

// With the driver gone no touch could end the wait: it ends at the first query that fails.
TEST_F(RightButton, AWaitEndsWhenTheDriverStopsAnswering) {
  PressDuringWait([&] { service.Stop(SIGKILL); });
  EXPECT_TRUE(armedInWait);
  EXPECT_TRUE(window.cmdAction->isVisible());
  EXPECT_EQ(window.Waiting, 0);
}

// A copy whose registration another copy took over (judged stale) leaves that one's in place.
TEST_F(RightButton, ClosingLeavesARegistrationThatNamesAnotherWindow) {
  RbfRecord.Window = own + 1;
  SetRbfRegistration();
  window.close();
  EXPECT_EQ(ReadRbf().window, own + 1);
}

}  // namespace
}  // namespace qx::test
