// The desktop's live double-click values, shared by the processes of a root; the screen as a
// window system gives it; calls made to fail.
#include "host/desktop.h"

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::WriteFile;

struct Values {
  UINT time;
  int width, height;
  bool operator==(const Values&) const = default;
};

Values Live() { return {GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)}; }

TEST(DesktopTest, DoubleClickValuesStartAtTheDefaultsAndTakeWhatTheDesktopAccepts) {
  test::TempRoot root;
  EXPECT_EQ(Live(), (Values{500, 4, 4}));
  int changes = 0;
  DesktopChangeHook previous = SetDesktopChangeHook([&] { ++changes; });

  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 32, nullptr, SPIF_SENDWININICHANGE));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 0, nullptr, SPIF_SENDWININICHANGE));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, 5000, nullptr, 0));
  EXPECT_EQ(Live(), (Values{5000, 32, 0}));
  EXPECT_TRUE(SetDoubleClickTime(1));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 64, nullptr, 0));
  EXPECT_EQ(changes, 5);

  // Refused: the values stay as they were, and nobody is told of a change.
  EXPECT_FALSE(SetDoubleClickTime(0));
  EXPECT_FALSE(SetDoubleClickTime(5001));
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 65, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 0xFFFFFFFFu, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(31, 1, nullptr, 0));  // an action the desktop does not offer
  EXPECT_EQ(Live(), (Values{1, 32, 64}));
  EXPECT_EQ(changes, 5);
  SetDesktopChangeHook(std::move(previous));

  // Another process sees them, and what it sets is seen here.
  test::RunResult other = test::Run({test::Program("qxmachine"), "desktop", "DoubleClickSpeed=900"});
  EXPECT_EQ(other.out, "DoubleClickSpeed=900 DoubleClickWidth=32 DoubleClickHeight=64\n");
  EXPECT_EQ(GetDoubleClickTime(), 900u);

  // Values the desktop would not have taken read as the defaults.
  WriteFile(root.path() + "/run/desktop/mouse.ini",
            "[Mouse]\nDoubleClickSpeed=0\nDoubleClickWidth=12px\nDoubleClickHeight=65\n");
  EXPECT_EQ(Live(), (Values{500, 4, 4}));
}

TEST(DesktopTest, TheScreenComesFromTheWindowSystem) {
  test::TempRoot root;
  ScreenSource previous = SetScreenSource(nullptr);
  RECT area{1, 2, 3, 4};
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_EQ(area.right, 3);

  SetScreenSource([] { return ScreenGeometry{{0, 0, 1280, 1024}, {0, 24, 1280, 1000}}; });
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(99), 0);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_EQ(area.top, 24);
  EXPECT_EQ(area.bottom, 1000);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
  SetScreenSource(std::move(previous));
}

TEST(DesktopTest, EachCallFailsAsRunFailingCallsSays) {
  test::TempRoot root;
  SetScreenSource([] { return ScreenGeometry{{0, 0, 800, 600}, {0, 0, 800, 600}}; });
  WriteFile(root.path() + "/run/failing-calls",
            "SystemParametersInfoA:SPI_SETDOUBLECLKWIDTH\nGetSystemMetrics:SM_CYSCREEN,SetDoubleClickTime\n");
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 8, nullptr, 0));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 8, nullptr, 0));
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, 300, nullptr, 0));
  EXPECT_FALSE(SetDoubleClickTime(400));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 0);
  EXPECT_EQ(Live(), (Values{300, 4, 8}));

  WriteFile(root.path() + "/run/failing-calls", "SystemParametersInfoA GetDoubleClickTime GetSystemMetrics");
  EXPECT_FALSE(SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 8, nullptr, 0));
  RECT area;
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_EQ(Live(), (Values{0, 0, 0}));
  SetScreenSource(nullptr);
}

}  // namespace
}  // namespace qx
