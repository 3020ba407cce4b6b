// Yes: the removal against real processes, the real registry and the real package uninstaller,
// with each of its failures; and the walk over the mouse instances.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/wait.h>

#include <QTest>
#include <chrono>
#include <filesystem>

#include "core/driver_link.h"
#include "programs/uninstall/device_registration.h"
#include "tests/programs/uninstall/removal_fixture.h"
#include "tests/support/right_button_programs.h"
#include "tests/support/window_program.h"
#include "ui/progress_window.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

constexpr char kComplete[] =
    "Removal is complete to uninstall TouchScreen drivers and utilities.\r\n\r\nThe Windows must be restarted.";
constexpr char kRemoving[] = "Removing files from your system...";
constexpr char kRecordKey[] = "SOFTWARE\\Harlenby\\TouchScreen\\QX-COM";

// A failure after the confirmation: its one warning box, nothing of the registration removed,
// no deletion scheduled and no restart tried (the failing restart would have said so).
void ExpectEndedWith(const MessageRecorder& boxes, const std::string& text, const MouseDevice& suite,
                     const std::string& wininit) {
  ASSERT_EQ(boxes.shown.size(), 1u) << boxes.shown.back().text;
  EXPECT_EQ(boxes.shown[0].text, text);
  EXPECT_EQ(boxes.shown[0].caption, kRemovalTitle);
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL);
  EXPECT_TRUE(KeyExists(suite.instance));
  EXPECT_TRUE(KeyExists(suite.classKey));
  EXPECT_EQ(wininit, "");
}

TEST_F(RemovalTest, YesClosesTheResidentProgramsAndRemovesTheSuiteButNothingElse) {
  ASSERT_TRUE(Install());
  // Another mouse before the suite's, the suite's, one the suite wrote in lower case, another
  // mouse after them; past a gap, an instance the walk never reaches.
  const MouseDevice other = RegisterMouse("Standard mouse types", "SerMouse");
  const MouseDevice suite = RegisterMouse();
  const MouseDevice lower = RegisterMouse("touchscreen", "qxcom");
  const MouseDevice later = RegisterMouse("Standard mouse types", "SerMouse");
  WriteStringValue("Enum\\Root\\Mouse\\0005", "Mfg", "TouchScreen");
  WriteStringValue("Enum\\Root\\Mouse\\0005", "InfSection", "QxCOM");
  ASSERT_EQ(suite.instance, "Enum\\Root\\Mouse\\0001");
  WriteFile(Installed("my notes.txt"), "the person's own");

  // The right-button program and the companion, each registered with the driver.
  setenv("QX_SHOWCMD", "0", 1);
  const pid_t rbf = Spawn({Program("QXWMECrb")});
  unsetenv("QX_SHOWCMD");
  ASSERT_EQ(WaitForRbf([rbf](const RbfState& s) { return s.window / 256 == rbf; }).window / 256, rbf);
  WindowProgram companion("Companion");
  DeviceService::Qxctl("smi " + std::to_string(companion.main()) + " 0");

  // Another program's deletion, pending for the next start.
  WriteFile(root.path() + kWindowsFolder + "/WININIT.INI", "[rename]\r\nNUL=C:\\OTHER\\old.dll\r\n");
  ASSERT_EQ(Start(), LoadResult::Ready);
  PressYes();

  int status = -1;
  EXPECT_EQ(waitpid(rbf, &status, 0), rbf);  // RBF_CLOSE: it ended by itself
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(companion.WaitForEnd(5000));  // SMI_CLOSE
  EXPECT_EQ(ReadRbf().window, -1);

  EXPECT_THAT(BoxTexts(), ElementsAre(kComplete, kRestartFailed));
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
  EXPECT_EQ(Window().ExitCode(), 1);  // the restart failed
  EXPECT_FALSE(Window().isVisible());
  EXPECT_EQ(ShownProgressWindow(), nullptr);
  EXPECT_THAT(clock.waits, ElementsAre(3.0, 10.0));
  EXPECT_THAT(clock.shown, ElementsAre(kRemoving, kRemoving));

  // The package's files are gone; the person's file stays, and with it the folder.
  for (const char* file :
       {"QXWMECcp.exe", "QXWMECao.exe", "QXWMECrb.exe", "QXWMECdi.exe", "unins000.exe", "unins000.lst"})
    EXPECT_FALSE(fs::exists(Installed(file))) << file;
  EXPECT_EQ(ReadFile(Installed("my notes.txt")), "the person's own");
  EXPECT_FALSE(KeyExists(kRecordKey));
  // This program goes at the next start.
  EXPECT_TRUE(fs::exists(root.path() + kWindowsFolder + "/QXWMECde.exe"));
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\OTHER\\old.dll\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\n");

  EXPECT_TRUE(KeyExists(other.instance));
  EXPECT_TRUE(KeyExists(other.classKey));
  EXPECT_FALSE(KeyExists(suite.instance));
  EXPECT_FALSE(KeyExists(suite.classKey));
  EXPECT_FALSE(KeyExists(lower.instance));
  EXPECT_FALSE(KeyExists(lower.classKey));
  EXPECT_TRUE(KeyExists(later.instance));
  EXPECT_TRUE(KeyExists(later.classKey));
  EXPECT_TRUE(KeyExists("Enum\\Root\\Mouse\\0005"));
}

TEST_F(RemovalTest, WithoutTheDriverTheResidentProgramsAreNotToldAndTheRemovalGoesOn) {
  ASSERT_TRUE(Install());
  const MouseDevice suite = RegisterMouse();
  ASSERT_EQ(Start(), LoadResult::Ready);
  service.Stop();
  PressYes();
  EXPECT_THAT(BoxTexts(), ElementsAre(kComplete, kRestartFailed));  // no word of the driver
  EXPECT_FALSE(KeyExists(suite.instance));
  EXPECT_FALSE(fs::exists(Installed("QXWMECcp.exe")));
}

// After the Debian package was removed: no device service and no machine tools to restart with.
// The removal still ends as it should, its own deletion carried out at once.
TEST_F(RemovalTest, WithoutTheMachinesToolsTheRemovalFinishesAndDeletesItself) {
  ASSERT_TRUE(Install());
  ASSERT_EQ(Start(), LoadResult::Ready);
  service.Stop();
  fs::remove(root.path() + "/run/failing-calls");
  fs::create_directory(root.path() + "/no-tools");
  setenv("QX_TOOLS", (root.path() + "/no-tools").c_str(), 1);
  PressYes();
  unsetenv("QX_TOOLS");
  EXPECT_THAT(BoxTexts(), ElementsAre(kComplete));
  EXPECT_EQ(Window().ExitCode(), 0);
  EXPECT_FALSE(fs::exists(root.path() + kWindowsFolder + "/QXWMECde.exe"));
  EXPECT_FALSE(fs::exists(root.path() + kWindowsFolder + "/WININIT.INI"));
  EXPECT_FALSE(KeyExists(kRecordKey));
}

TEST_F(RemovalTest, APackageUninstallerThatCannotStartEndsTheRemoval) {
  ASSERT_TRUE(Install());
  const MouseDevice suite = RegisterMouse();
  fs::remove(Installed("unins000.exe"));
  ASSERT_EQ(Start(), LoadResult::Ready);
  PressYes();
  ExpectEndedWith(boxes, "Fail to remove files! (Startup)", suite, Wininit());
  EXPECT_EQ(Window().ExitCode(), 1);
  EXPECT_THAT(clock.waits, ElementsAre(3.0));
  EXPECT_TRUE(KeyExists(kRecordKey));
}

TEST_F(RemovalTest, APackageUninstallerStillRunningAfterTenRoundsEndsTheRemoval) {
  ASSERT_TRUE(Install());
  const MouseDevice suite = RegisterMouse();
  const std::string pidFile = root.path() + "/sleeper.pid";
  ReplacePackageUninstaller("echo $$ > '" + pidFile + "'\nexec sleep 60");
  ASSERT_EQ(Start(), LoadResult::Ready);
  const auto start = std::chrono::steady_clock::now();
  PressYes();
  const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ExpectEndedWith(boxes, "Fail to remove files! (WAIT_TIMEOUT)", suite, Wininit());
  EXPECT_GE(waited, 9.5);  // ten rounds of a second each
  const pid_t sleeper = std::atoi(ReadFile(pidFile).c_str());
  ASSERT_GT(sleeper, 0);
  EXPECT_EQ(kill(sleeper, SIGKILL), 0);  // it was still running
}

TEST_F(RemovalTest, AFailedOrAbandonedWaitEndsTheRemoval) {
  for (const auto& [call, text] :
       {std::pair{"WaitForSingleObject", "Fail to remove files! (WAIT_FAILED)"},
        std::pair{"WaitForSingleObject:WAIT_ABANDONED", "Fail to remove files! (WAIT_ABANDONED)"}}) {
    SCOPED_TRACE(call);
    ASSERT_TRUE(Install());
    const MouseDevice suite = RegisterMouse();
    ReplacePackageUninstaller("exit 0");
    WriteFile(root.path() + "/run/failing-calls", std::string("ExitWindowsEx ") + call + "\n");
    boxes.shown.clear();
    ASSERT_EQ(Start(), LoadResult::Ready);
    PressYes();
    ExpectEndedWith(boxes, text, suite, Wininit());
  }
}

TEST_F(RemovalTest, InstallRemoveAndInstallAgainLeavesOneInstanceOfTheSuite) {
  const MouseDevice other = RegisterMouse("Standard mouse types", "SerMouse");
  ASSERT_TRUE(Install());
  ASSERT_EQ(RegisterMouse().instance, "Enum\\Root\\Mouse\\0001");
  ASSERT_EQ(Start(), LoadResult::Ready);
  PressYes();
  ASSERT_THAT(BoxTexts(), ElementsAre(kComplete, kRestartFailed));
  window.reset();

  ASSERT_TRUE(Install());
  EXPECT_TRUE(fs::exists(Installed("unins000.exe")));
  const MouseDevice again = RegisterMouse();
  EXPECT_EQ(again.instance, "Enum\\Root\\Mouse\\0001");
  EXPECT_EQ(again.classKey, "System\\CurrentControlSet\\Services\\Class\\Mouse\\0001");
  EXPECT_THAT(MouseInstances("TouchScreen"), ElementsAre("0001"));
  EXPECT_TRUE(KeyExists(other.classKey));
}

TEST_F(RemovalTest, AKeyThatCannotBeDeletedIsReportedAndTheWalkGoesOn) {
  // 0000 names a class key that is not there; 0001 names a whole class, 0002 a device of another
  // class: both stay.
  const MouseDevice missing = RegisterMouse();
  WriteStringValue(missing.instance, "Driver", "Mouse\\0042");
  const MouseDevice whole = RegisterMouse();
  WriteStringValue(whole.instance, "Driver", "Mouse");
  const MouseDevice keyboard = RegisterMouse();
  WriteStringValue(keyboard.instance, "Driver", "Keyboard\\0000");
  WriteStringValue("System\\CurrentControlSet\\Services\\Class\\Keyboard\\0000", "DriverDesc", "Keyboard");
  const MouseDevice other = RegisterMouse("Standard mouse types", "SerMouse");
  const MouseDevice suite = RegisterMouse();
  RemoveDeviceRegistration(kRemovalTitle);

  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "RegDeleteKey fail! [System\\CurrentControlSet\\Services\\Class\\Mouse\\0042]");
  EXPECT_EQ(boxes.shown[0].caption, kRemovalTitle);
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_SYSTEMMODAL);
  EXPECT_FALSE(KeyExists(missing.instance));
  EXPECT_FALSE(KeyExists(whole.instance));
  EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Mouse"));
  EXPECT_FALSE(KeyExists(keyboard.instance));
  EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Keyboard\\0000"));
  EXPECT_TRUE(KeyExists(other.instance));
  EXPECT_TRUE(KeyExists(other.classKey));
  EXPECT_FALSE(KeyExists(suite.instance));
  EXPECT_FALSE(KeyExists(suite.classKey));
}

}  // namespace
}  // namespace qx::test
