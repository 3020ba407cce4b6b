// The companion's window in this test process against a real device service: the screen
// changing under it (the offscreen platform's screens set afresh), and the RotationCode it
// derives from the screen's orientation as the calibration reads it.
#include "companion/companion_window.h"

#include <gtest/gtest.h>
#include <qpa/qplatformnativeinterface.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "companion/rotation_code.h"
#include "core/calibration.h"
#include "host/program_state.h"
#include "host/window_bus.h"
#include "programs/panel/picture_box.h"
#include "tests/companion/companions.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/temp_root.h"
#include "ui/window_ops.h"
#include "ui/window_placement.h"

namespace qx::test {
namespace {

using companion::CompanionWindow;

struct Screen {
  const char* name;
  int width, height;
  int x = 0;
};

// The offscreen platform's screens set afresh, the first one as the primary screen when it is new.
void SetScreens(std::initializer_list<Screen> screens) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto set = reinterpret_cast<void (*)(const QJsonObject&, QPlatformNativeInterface*)>(
      native->nativeResourceForIntegration("setConfiguration"));
  ASSERT_NE(set, nullptr);
  QJsonArray list;
  for (const Screen& s : screens)
    list.append(QJsonObject{{"name", s.name}, {"x", s.x}, {"y", 0}, {"width", s.width}, {"height", s.height}});
  set(QJsonObject{{"screens", list}}, native);
}

// The screen size the service keeps, once it is WIDTH x HEIGHT or after 5 s of events.
std::string KeptSizeOnceItIs(int width, int height) {
  const std::string wanted = "ScreenWidth=" + std::to_string(width) + "\nScreenHeight=" + std::to_string(height) + "\n";
  std::string kept;
  // The caller checks the size itself, which says more than a time-out would.
  (void)QTest::qWaitFor([&] { return (kept = DeviceService::Qxctl("get ScreenWidth ScreenHeight")) == wanted; }, 5000);
  return kept;
}

// The writes of the service's settings file (a new file renamed over settings.bin) from now on.
class SettingsWrites {
 public:
  explicit SettingsWrites(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO), 0) << folder;
  }
  ~SettingsWrites() { ::close(fd_); }
  int Count() const {
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
      for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
        count += std::string(reinterpret_cast<inotify_event*>(p)->name) == "settings.bin";
    return count;
  }

 private:
  int fd_;
};

class CompanionWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    SetScreens({{"first", 1024, 768}});
    DeviceService::Qxctl("journal --clear");
  }
  void TearDown() override {
    window.reset();
    SetScreens({{"", 800, 800}});  // as the platform starts
    ResetProgramState();
  }

  TempRoot root;
  DeviceService service;
  std::unique_ptr<CompanionWindow> window = std::make_unique<CompanionWindow>();
};

// Without a display (the offscreen platform's own screen, made up for want of any), the
// companion registers and reports no size: its report would have gone as it started.
TEST_F(CompanionWindowTest, ReportsNoSizeWithoutADisplay) {
  SetScreens({{"", 800, 800}});
  ASSERT_TRUE(window->Start());
  EXPECT_EQ(ReadSmi().window, WindowHandle(window.get()));
  EXPECT_EQ(window->lblScreen->text().toStdString(), "No display, RotationCode 0");
  EXPECT_EQ(Sent("SetScreenSize"), std::vector<std::string>{});
}

TEST_F(CompanionWindowTest, ReportsTheScreenSizeAgainWhenTheScreenChanges) {
  ASSERT_TRUE(window->Start());
  const HWND own = WindowHandle(window.get());
  EXPECT_EQ(ReadSmi().window, own);
  EXPECT_EQ(window->rotationCode(), 0);  // the offscreen screen is upright
  EXPECT_EQ(KeptSizeOnceItIs(1024, 768), "ScreenWidth=1024\nScreenHeight=768\n");
  EXPECT_EQ(window->lblScreen->text().toStdString(), "Screen 1024 x 768, RotationCode 0");

  SetScreens({{"first", 1280, 1024}});  // the same screen set to another size
  EXPECT_EQ(KeptSizeOnceItIs(1280, 1024), "ScreenWidth=1280\nScreenHeight=1024\n");
  SetScreens({{"first", 1280, 1024}, {"second", 1920, 1080}});  // a second screen: not the primary one
  SetScreens({{"second", 1920, 1080}});                         // the primary one goes: the second takes its place
  EXPECT_EQ(KeptSizeOnceItIs(1920, 1080), "ScreenWidth=1920\nScreenHeight=1080\n");
  SetScreens({{"second", 1600, 1080}});  // and the new one is followed
  EXPECT_EQ(KeptSizeOnceItIs(1600, 1080), "ScreenWidth=1600\nScreenHeight=1080\n");
  // Still registered as at its start: an upright screen stays upright.
  EXPECT_EQ(Sent("SetSmiRegistration").size(), 1u);

  window->close();
  EXPECT_EQ(ReadSmi().window, -1);
}

// At its start on two monitors of different sizes, the touchscreen kept on the one that is not the
// primary one: the service learns the monitors once, keeps one size, the chosen monitor's, and
// writes its settings file once, with no size of another monitor between (a touch would land on
// that monitor's scale).
TEST_F(CompanionWindowTest, AStartOnTwoMonitorsKeepsOneSizeInOneWrite) {
  SetScreens({{"left", 1280, 768}, {"right", 768, 600, 1280}});
  DeviceService::Qxctl("map-to-output right");
  DeviceService::Qxctl("journal --clear");
  const SettingsWrites writes(root.path() + "/device");
  ASSERT_TRUE(window->Start());
  QCoreApplication::processEvents();  // a registration queued by the start would go now
  EXPECT_EQ(Sent("SetMonitors"), std::vector<std::string>{"Count=2 Chosen=right"});
  EXPECT_EQ(Sent("SetScreenSize"), std::vector<std::string>{});
  EXPECT_EQ(DeviceService::Qxctl("get ScreenWidth ScreenHeight"), "ScreenWidth=768\nScreenHeight=600\n");
  EXPECT_EQ(writes.Count(), 1);
  EXPECT_EQ(window->lblScreen->text().toStdString(), "Screen 768 x 600, RotationCode 0");
}

// The companion tells the service the desktop's monitors; the suite's full-screen windows then
// cover the one the touchscreen is mapped to, and the screen the touches map to is its size.
TEST_F(CompanionWindowTest, TheSuitesFullScreenWindowsCoverTheTouchscreensMonitor) {
  SetScreens({{"left", 1024, 768}, {"right", 800, 600, 1024}});
  ASSERT_TRUE(window->Start());
  DeviceService::Qxctl("map-to-output right");
  ASSERT_TRUE(QTest::qWaitFor([] { return WindowScreen() && WindowScreen()->name() == "right"; }, 5000));
  QWidget covering;
  CoverScreen(&covering);
  EXPECT_EQ(covering.geometry(), QRect(1024, 0, 800, 600));
  // A window the suite centres (the control panel, its dialogs, the boxes) stands on it too.
  QWidget centred;
  centred.resize(300, 200);
  CenterForm(&centred);
  EXPECT_TRUE(QRect(1024, 0, 800, 600).contains(QRect(centred.pos(), centred.size()))) << centred.pos().x();
  EXPECT_EQ(DeviceService::Qxctl("get ScreenWidth ScreenHeight"), "ScreenWidth=800\nScreenHeight=600\n");
}

// A landscape panel, its raw corners as a straight wiring reports them; the screen turned by
// QUARTERS quarter turns clockwise shows its picture turned as many counter-clockwise, so the
// calibration's targets (the picture's corners, clockwise from its upper left) land on the
// panel's corners that many places on counter-clockwise.
PointTable MeasuredOnTurnedScreen(int quarters) {
  const std::int16_t cornerX[4] = {100, 900, 900, 100};  // upper left, upper right, lower right, lower left
  const std::int16_t cornerY[4] = {100, 100, 900, 900};
  PointTable points;
  for (int target = 0; target < 4; ++target) {
    const int corner = (target - quarters + 4) % 4;
    points.PointX[static_cast<std::size_t>(FirstTarget(CornerMethod) + target)] = cornerX[corner];
    points.PointY[static_cast<std::size_t>(FirstTarget(CornerMethod) + target)] = cornerY[corner];
  }
  return points;
}

TEST(RotationCode, PutsTheCalibrationsPointsBackOnThePanelsOwnCorners) {
  const Qt::ScreenOrientation turned[4] = {Qt::LandscapeOrientation, Qt::PortraitOrientation,
                                           Qt::InvertedLandscapeOrientation, Qt::InvertedPortraitOrientation};
  const std::int16_t expected[4] = {0, 2, 3, 1};
  for (int quarters = 0; quarters < 4; ++quarters) {
    std::int16_t code = companion::RotationCodeFor(Qt::LandscapeOrientation, turned[quarters]);
    EXPECT_EQ(code, expected[quarters]) << quarters;
    // A Wayland output's transform on the wire counts the same quarter turns, mirrored or not.
    EXPECT_EQ(companion::RotationCodeForTransform(quarters), code) << quarters;
    EXPECT_EQ(companion::RotationCodeForTransform(quarters + 4), code) << quarters;
    PointTable points = MeasuredOnTurnedScreen(quarters);
    const CalibrationResult result = ComputeCalibration(CornerMethod, 1024, 768, code, points);
    ASSERT_TRUE(result.ok) << result.message;
    // The wiring is straight: nothing mirrored, nothing exchanged, once the turn is undone.
    EXPECT_EQ(result.CalibrationFlags, 0) << "quarter turns " << quarters;
  }
  // A portrait screen whose natural orientation is portrait stands upright.
  EXPECT_EQ(companion::RotationCodeFor(Qt::PortraitOrientation, Qt::PortraitOrientation), 0);
  EXPECT_EQ(companion::RotationCodeFor(Qt::PortraitOrientation, Qt::InvertedLandscapeOrientation), 2);
}

}  // namespace
}  // namespace qx::test
