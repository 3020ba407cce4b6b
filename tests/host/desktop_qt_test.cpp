// A Qt program's windows follow the desktop's double-click time, also as another process sets it,
// and the desktop calls see the program's screen.
#include "host/desktop_qt.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QWidget>

#include "host/desktop.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

class DoubleClickCounter : public QWidget {
 public:
  int doubleClicks = 0;

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
};

int QtInterval() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

void SetByAnotherProcess(const std::string& value) {
  test::RunResult r = test::Run({test::Program("qxmachine"), "desktop", value});
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

// Two clicks whose presses lie 701 + GAP_MS apart on the window system's clock (QTest puts 500 ms
// after every release); whether the widget took them for a double-click.
bool TwoClicks(DoubleClickCounter& widget, int gapMs) {
  const int before = widget.doubleClicks;
  QWindow* window = widget.windowHandle();
  QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(20, 20), gapMs);
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(20, 20));
  return widget.doubleClicks > before;
}

TEST(DesktopHookTest, WindowsRecogniseDoubleClicksWithTheDesktopsLiveTime) {
  test::TempRoot root;
  InstallDesktopHook();
  EXPECT_EQ(QtInterval(), 500);

  // This process's own change is followed at once.
  ASSERT_TRUE(SetDoubleClickTime(321));
  EXPECT_EQ(QtInterval(), 321);

  DoubleClickCounter widget;
  widget.resize(100, 100);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));

  SetByAnotherProcess("DoubleClickSpeed=900");
  QTRY_COMPARE_WITH_TIMEOUT(QtInterval(), 900, 5000);
  EXPECT_TRUE(TwoClicks(widget, 100));

  SetByAnotherProcess("DoubleClickSpeed=600");
  QTRY_COMPARE_WITH_TIMEOUT(QtInterval(), 600, 5000);
  EXPECT_FALSE(TwoClicks(widget, 100));
  EXPECT_EQ(GetDoubleClickTime(), 600u);
}

TEST(DesktopHookTest, TheDesktopCallsMeasureThePrimaryScreen) {
  test::TempRoot root;
  InstallDesktopHook();
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen->geometry().width());
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen->geometry().height());
  RECT area;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  const QRect available = screen->availableGeometry();
  EXPECT_EQ(area.left, available.left());
  EXPECT_EQ(area.top, available.top());
  EXPECT_EQ(area.right, available.left() + available.width());
  EXPECT_EQ(area.bottom, available.top() + available.height());
}

}  // namespace
}  // namespace qx
