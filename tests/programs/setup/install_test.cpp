// The whole installation, real processes only: package/install-suite lays the suite out and runs
// QXWMECdi, which writes the registry and restarts the machine; the device service then runs with
// the installation's settings, and takes them once only.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/programs/setup/installation_fixture.h"
#include "tests/programs/setup/registry_values.h"
#include "tests/support/device_service.h"

namespace qx::test {
namespace {

class WholeInstallation : public Installation {
 protected:
  void InstallWith(const std::string& settings, std::vector<std::string> args = {}) {
    WriteFile(root.path() + "/mine.ini", "[Settings]\r\n" + settings);
    args.insert(args.end(), {"--setup-ini", root.path() + "/mine.ini"});
    RunResult r = Install(args);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  }
  std::string Field(const std::string& name) {
    std::string line = DeviceService::Qxctl("get " + name);
    return line.substr(0, line.find('\n'));
  }
};

// Values that differ from the controller's first settings, with the edge cases of the number rule.
constexpr char kSettings[] =
    "CalibrationMode=abc\r\nVirtualButton=2\r\nRightButtonFunction=1\r\nRightButtonAutoMode=1\r\n"
    "RightButtonAutoSTime=3\r\nRightButtonAutoETime=7\r\nRightButtonAutoBeep=1\r\nFeedbackSound=3\r\n"
    "FeedbackTone=1200\r\nFeedbackDuration=35\r\nMouseBypass=0\r\nMouseHSpeed=20.4\r\nMouseVSpeed=7\r\n"
    "MouseAcceleration=2\r\nDoubleClickSpeed=50\r\nDoubleClickWidth=8\r\nDoubleClickHeight=6\r\n"
    "PanelDirection=5\r\n";

TEST_F(WholeInstallation, WritesTheSettingsRegistersTheDeviceAndRestartsWithThem) {
  // Another mouse is installed already.
  for (const char* instance : {"0000", "0001"})
    ::qx::test::Run({Program("qxreg"), "--root", root.path(), "add",
                     std::string("HKLM\\System\\CurrentControlSet\\Services\\Class\\Mouse\\") + instance, "/v",
                     "MouseType", "/t", "REG_SZ", "/d", "PS2", "/f"});
  WriteFile(root.path() + "/mine.oem", "[SETUP]\r\nTITLE=\r\n");
  InstallWith(kSettings, {"--setup-oem", root.path() + "/mine.oem"});

  EXPECT_EQ(Boxes(), Box(kFinalText, kFinalType));
  EXPECT_EQ(SuiteValue("CalibrationMode"), Dword(0));
  EXPECT_EQ(SuiteValue("VirtualButton"), Binary({2}));
  EXPECT_EQ(SuiteValue("RightButtonFunction"), Binary({1}));
  EXPECT_EQ(SuiteValue("RightButtonAutomatic"), Binary({0x01, 0x03, 0x07, 0x01}));
  EXPECT_EQ(SuiteValue("FeedbackSound"), Binary({3}));
  EXPECT_EQ(SuiteValue("FeedbackTone"), Binary({0xB0, 0x04}));
  EXPECT_EQ(SuiteValue("FeedbackDuration"), Binary({35, 0}));
  EXPECT_EQ(SuiteValue("MouseSpeed"), Binary({20, 7, 2, 0}));
  // The installer skipped the time of 50 ms and wrote 8 and 6 (setup_settings_test); at the log-on
  // after the restart the startup program, finding the time missing, took the defaults for all
  // three and stored them in both places.
  EXPECT_EQ(SuiteValue("DoubleClickSpeed"), Dword(500));
  EXPECT_EQ(SuiteValue("DoubleClickWidth"), Dword(32));
  EXPECT_EQ(SuiteValue("DoubleClickHeight"), Dword(32));
  EXPECT_EQ(SuiteValue("PanelDirection"), Binary({5}));
  EXPECT_EQ(SuiteValue("VenderName"), Text("Harlenby")) << "an empty TITLE";
  EXPECT_EQ(RegistryValue("System\\CurrentControlSet\\Services\\Class\\Mouse\\0002", "MouseDriver"),
            Text("QXWMECOM.VXD"));
  EXPECT_EQ(RegistryValue("Enum\\Root\\Mouse\\0000", "Driver"), Text("Mouse\\0002"));
  EXPECT_EQ(RegistryValue("System\\CurrentControlSet\\Services\\Class\\Mouse\\0000", "MouseType"), Text("PS2"));
  const std::string inf = ReadFile(root.path() + "/drive_c/WINDOWS/inf/QXWMECOM.INF");
  EXPECT_NE(inf.find("\nInstallPath=C:\\Program Files\\TouchScreen\\QX-COM\n"), std::string::npos) << inf;

  // After the restart the controller runs with them, and the control panel's lines say so.
  EXPECT_EQ(Machine("status").exitCode, 0);
  EXPECT_EQ(DeviceService::Qxctl("get TouchMode RbfEnable RbfAutoMode RbfAutoSTime RbfAutoETime RbfAutoBeep SoundMode "
                                 "SoundTone SoundDuration SpeedH SpeedV Acceleration Bypass"),
            "TouchMode=2\nRbfEnable=1\nRbfAutoMode=1\nRbfAutoSTime=3\nRbfAutoETime=7\nRbfAutoBeep=1\nSoundMode=3\n"
            "SoundTone=1200\nSoundDuration=35\nSpeedH=20\nSpeedV=7\nAcceleration=2\nBypass=0\n");
  const std::string summary = DeviceService::Qxctl("summary");
  EXPECT_NE(summary.find("Lift Off Mode, RBF Enable"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Lift Off Only"), std::string::npos) << summary;
  EXPECT_NE(summary.find("HS=100%, VS=35%, Acceleration=Medium"), std::string::npos) << summary;

  // A change made afterwards outlives the next restart: the set was taken once.
  ASSERT_EQ(::qx::test::Run({Program("qxctl"), "--root", root.path(), "set", "SoundTone=3000"}).exitCode, 0);
  ASSERT_EQ(Machine("restart").exitCode, 0);
  EXPECT_EQ(Field("SoundTone"), "3000");
  EXPECT_EQ(Field("SoundDuration"), "35");
}

TEST_F(WholeInstallation, TheDefaultSetupIniKeepsTheControllersFirstSettings) {
  RunResult r = Install({});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(DeviceService::Qxctl("journal").find("InitialSettings TouchMode=4"), std::string::npos);
  const std::string installed = DeviceService::Qxctl("block");
  // The screen size is the one field the log-on changed: the companion program reported it.
  const std::string screen = DeviceService::Qxctl("get ScreenWidth ScreenHeight");
  Machine("shutdown");
  TempRoot fresh;  // a controller that never saw an installation
  DeviceService freshService;
  std::string sameScreen = "set " + screen;
  std::replace(sameScreen.begin(), sameScreen.end(), '\n', ' ');
  DeviceService::Qxctl(sameScreen);
  EXPECT_EQ(DeviceService::Qxctl("block"), installed);
}

}  // namespace
}  // namespace qx::test
