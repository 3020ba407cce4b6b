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

// Where the person's desktop keeps a double-click time, the suite's is that one, both ways: GNOME's
// through GSettings (its keyfile backend in the root, seen and set with GNOME's own gsettings),
// KDE's in kdeglobals (KDE's default where it says none; its other lines kept). The rectangle stays
// in the root, and where the desktop keeps no time the root's is the desktop's.
TEST(DesktopTest, TheDoubleClickTimeIsTheDesktopsOwnWhereItKeepsOne) {
  test::TempRoot root;
  const std::string config = "XDG_CONFIG_HOME=" + root.path() + "/config",
                    kdeglobals = root.path() + "/config/kdeglobals";
  const std::vector<std::string> gnome = {"XDG_CURRENT_DESKTOP=ubuntu:GNOME", "GSETTINGS_BACKEND=keyfile", config};
  const std::vector<std::string> kde = {"XDG_CURRENT_DESKTOP=KDE", config};
  const auto values = [](UINT time) {
    return "DoubleClickSpeed=" + std::to_string(time) + " DoubleClickWidth=9 DoubleClickHeight=4\n";
  };
  const auto gsettings = [&](const std::string& verb, const std::string& value = "") {
    std::vector<std::string> argv = {"/usr/bin/gsettings", verb, "org.gnome.desktop.peripherals.mouse", "double-click"};
    if (!value.empty()) argv.push_back(value);
    return test::Run(argv, gnome).out;
  };
  EXPECT_EQ(test::Qxmachine("desktop DoubleClickSpeed=900 DoubleClickWidth=9", gnome).out, values(900));
  EXPECT_EQ(gsettings("get"), "900\n");
  gsettings("set", "321");
  EXPECT_EQ(test::Qxmachine("desktop", gnome).out, values(321));

  WriteFile(kdeglobals, "[General]\nfont=Sans\n\n[KDE]\nSingleClick=false\n");
  EXPECT_EQ(test::Qxmachine("desktop", kde).out, values(400));
  EXPECT_EQ(test::Qxmachine("desktop DoubleClickSpeed=700", kde).out, values(700));
  EXPECT_EQ(test::ReadFile(kdeglobals), "[General]\nfont=Sans\n\n[KDE]\nSingleClick=false\nDoubleClickInterval=700\n");
  EXPECT_EQ(test::Qxmachine("desktop", {"XDG_CURRENT_DESKTOP=XFCE"}).out, values(700));
}

}  // namespace
}  // namespace qx
