// The touch test window on a real X server: Qt's xcb platform on Xvfb, and a device service driving
// that server's pointer (--pointer x11). A finger pressed, moved and lifted through the service
// draws in the window and lights its button indicators from the X events the server delivers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <optional>

#include "programs/panel/test_window.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/finger.h"
#include "tests/support/x_display.h"
#include "ui/colours.h"

namespace qx::test {
namespace {

constexpr int kWidth = 1024, kHeight = 768;
const QColor kBluePen(0, 0, 255);

// Where the service's last report put the pointer, on the screen.
QPoint Pointer() {
  const auto at = PointerNow();
  return at ? QPoint(at->first, at->second) : QPoint(-1, -1);
}

// Which of the window's indicators (L, M, R) were lit when a mouse event came, before the window
// took it: a click's press and release come together, so the indicator is never seen lit between.
class LitWatch : public QObject {
 public:
  explicit LitWatch(const TestWindow& window) : window_(window) { qApp->installEventFilter(this); }
  ~LitWatch() override { qApp->removeEventFilter(this); }
  bool everLit[3] = {false, false, false};

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type t = event->type();
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseMove)
      for (int i = 0; i < 3; ++i) everLit[i] |= Lit(window_.lblButton[i]);
    return false;
  }

 private:
  const TestWindow& window_;
};

// A touch: the right-button settings, the right button armed or not, whether the finger moves on
// before the lift (or is held still until the right button came), what lights and whether a line is drawn.
struct Touch {
  const char* what;
  const char* settings;
  bool armed;
  bool moved;
  bool lit[3];  // L, M, R
  bool line;
};
void PrintTo(const Touch& touch, std::ostream* out) { *out << touch.what; }

class RealPointerTest : public PanelTest, public ::testing::WithParamInterface<Touch> {
 protected:
  RealPointerTest() {
    service.Stop();  // the fixture's own drives no pointer
    x11.emplace(std::vector<std::string>{"--pointer", "x11"});
  }
  // The pen's colour within a pixel of screen point AT.
  bool Inked(QPoint at) {
    const QImage& pad = Main().frmTest->picHome->image();
    const QPoint p = at - Main().frmTest->picHome->mapToGlobal(QPoint(0, 0));
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (pad.valid(p.x() + dx, p.y() + dy) && pad.pixelColor(p.x() + dx, p.y() + dy) == kBluePen) return true;
    return false;
  }
  std::optional<DeviceService> x11;
};

TEST_P(RealPointerTest, AFingerThroughTheServiceDrawsAndLightsTheButtons) {
  const Touch& c = GetParam();
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  EXPECT_EQ(DeviceService::Qxctl("output"),
            "Input: simulated\nOutput: x11 on " + std::string(getenv("DISPLAY")) + "\n" + DeviceService::LogLine());
  // The mapping's screen is the display: no scaling between the service's pixels and the server's.
  StartWith("SoundMode=1 ScreenWidth=" + std::to_string(kWidth) + " ScreenHeight=" + std::to_string(kHeight) + " " +
            c.settings);
  Main().TestClick();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Main().frmTest));
  TestWindow& test = *Main().frmTest;
  ASSERT_EQ(test.geometry(), QRect(0, 0, kWidth, kHeight)) << "full screen: screen points are window points";
  LitWatch watch(test);
  if (c.armed) {
    ASSERT_TRUE(ArmRightButton());
  }
  ASSERT_TRUE(PressFinger(300, 400, c.moved ? 0 : 2));
  const QPoint a = Pointer();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Inked(a); }, 3000)) << "a dot where the finger went down";
  QPoint b = a;
  if (c.moved) {
    ASSERT_TRUE(PressFinger(700, 400));
    b = Pointer();
    EXPECT_EQ(QTest::qWaitFor([&] { return Inked(b); }, 1000), c.line);
  }
  ASSERT_TRUE(LiftFinger());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Lit(test.lblButton[0]) && !Lit(test.lblButton[2]); }, 3000));
  QTest::qWait(100);  // anything more the lift sent
  for (int i = 0; i < 3; ++i) EXPECT_EQ(watch.everLit[i], c.lit[i]) << "indicator " << i;
  if (c.moved) {
    for (int i = 1; i < 4; ++i) EXPECT_EQ(Inked(a + (b - a) * i / 4), c.line) << "a quarter of the way " << i;
  }
  test.close();
}

INSTANTIATE_TEST_SUITE_P(
    LeftAndRight, RealPointerTest,
    ::testing::Values(Touch{"StrokeInDragDrop", "RbfEnable=0 RbfAutoMode=0", false, true, {true, false, false}, true},
                      Touch{"ArmedRightButton", "RbfEnable=0 RbfAutoMode=0", true, true, {false, false, true}, false},
                      Touch{"AutomaticRightButtonHeldStill",
                            "RbfEnable=1 RbfAutoMode=1 RbfAutoSTime=1 RbfAutoETime=3",
                            false,
                            false,
                            {false, false, true},
                            false}),
    [](const auto& param) { return std::string(param.param.what); });

}  // namespace
}  // namespace qx::test

// A display of its own for the whole program, and Qt on it through xcb, not off screen.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  qx::test::VirtualDisplay display(qx::test::kWidth, qx::test::kHeight);
  setenv("DISPLAY", display.name().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
