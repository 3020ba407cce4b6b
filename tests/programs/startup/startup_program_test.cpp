// The real QXWMECao against a fresh root with a real device service: the sequence at log-on with
// the double-click values, its boxes, the companion program and the right-button program (the
// real QXWMECrb), and the command line that selects the dialog. Boxes are logged
// (QX_MESSAGE_LOG) and answered by their default button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QGuiApplication>
#include <QScreen>
#include <chrono>
#include <filesystem>

#include "core/driver_link.h"
#include "host/desktop.h"
#include "host/paths.h"
#include "host/window_bus.h"
#include "tests/programs/startup/startup_fixture.h"
#include "tests/support/device_service.h"
#include "tests/support/installation.h"
#include "tests/support/journal.h"
#include "tests/support/program_test.h"
#include "tests/support/right_button_programs.h"

namespace qx::test {
namespace {

constexpr char kTitle[] = " TouchScreen System Startup #QX-COM";

std::string InstallFolder() { return HostPath(kInstallPath); }

class StartupProgram : public ProgramTest {
 protected:
  void SetUp() override {
    WriteInstallation();
    std::filesystem::copy_file(Program("QXWMECrb"), InstallFolder() + "/QXWMECrb.exe");
    DeviceService::Qxctl("journal --clear");
  }
  void TearDown() override { EndRightButtonPrograms(); }

  static std::string Box(const std::string& text) { return LoggedBox(kTitle, text, 4112); }

  // Runs QXWMECao to its end as the log-on entry starts it (no argument), or with ARGS.
  static RunResult RunStartup(const std::vector<std::string>& args = {}) { return RunProgram("QXWMECao", args); }

  // A companion program standing in for "QXWMECvr.exe": it notes the show state it was given.
  void InstallCompanion() {
    const std::string path = InstallFolder() + "/QXWMECvr.exe";
    WriteFile(path, "#!/bin/sh\necho \"shown $QX_SHOWCMD\" >> \"$QX_ROOT/companion.log\"\n");
    chmod(path.c_str(), 0700);
  }
  std::string CompanionLog() const { return ReadFile(RootFile("companion.log")); }

  // A right-button program started before the startup, as a person or the control panel left it.
  HWND StartRightButton() {
    const pid_t pid = SpawnProgram({InstallFolder() + "/QXWMECrb.exe"}, "rbf.log");
    const RbfState state = WaitForRbf([pid](const RbfState& s) { return s.window / 256 == pid; });
    EXPECT_EQ(state.window / 256, pid);
    return state.window;
  }

  // The show state the process PID was started with (QX_SHOWCMD in its environment).
  static std::string ShowState(pid_t pid) {
    const std::string environment = ReadFile("/proc/" + std::to_string(pid) + "/environ");
    const std::string entry = std::string("QX_SHOWCMD=");
    for (std::size_t at = 0; at < environment.size(); at = environment.find('\0', at) + 1) {
      if (environment.compare(at, entry.size(), entry) == 0)
        return environment.substr(at + entry.size(), environment.find('\0', at) - at - entry.size());
      if (environment.find('\0', at) == std::string::npos) break;
    }
    return "";
  }

  static std::string ScreenSize() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return "ScreenWidth=" + std::to_string(screen.width()) + " ScreenHeight=" + std::to_string(screen.height());
  }
};

TEST_F(StartupProgram, WithNothingStoredTheDesktopGetsTheDefaultsAndBothCopiesAreWritten) {
  const auto begun = std::chrono::steady_clock::now();
  const RunResult r = RunStartup();
  const auto took = std::chrono::steady_clock::now() - begun;
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Boxes(), "");
  EXPECT_EQ(DesktopValues(), "500/32/32");
  EXPECT_EQ(MouseValues(), "1:500/1:32/1:32");
  EXPECT_EQ(SuiteValues(), "4:500/4:32/4:32");
  EXPECT_GE(took, std::chrono::milliseconds(500));  // the pause of about a second
  // No companion program: the screen size went to the driver. Drag Drop with the automatic
  // right button (the service's defaults): no right-button program.
  EXPECT_EQ(Sent("SetScreenSize"), std::vector<std::string>{ScreenSize()});
  EXPECT_EQ(JournalLines("GetRbfRegistration").size(), 0u);
  EXPECT_TRUE(VisibleRightButtonWindows().empty());
}

TEST_F(StartupProgram, WithOnlyTheSpeedStoredAllThreeFallBack) {
  WriteDword("DoubleClickSpeed", 600);
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_EQ(DesktopValues(), "500/32/32");
  EXPECT_EQ(SuiteValues(), "4:500/4:32/4:32");
}

TEST_F(StartupProgram, FailedStepsAreNamedByTheirLettersAndTheSequenceGoesOn) {
  WriteDword("DoubleClickSpeed", 250);
  WriteDword("DoubleClickWidth", 6);
  WriteDword("DoubleClickHeight", 7);
  FailCalls("SystemParametersInfoA RegCreateKeyA:Mouse");
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_EQ(Boxes(), Box("Fail to SetDoubleClock (WHTR)!"));
  EXPECT_EQ(DesktopValues(), "250/4/4");  // SetDoubleClickTime still took the time
  EXPECT_EQ(JournalLines("GetSettings").size(), 1u);

  std::filesystem::remove(LogPath());
  FailCalls("RegSetValueExA:DoubleClickWidth RegSetValueExA:DoubleClickHeight RegSetValueExA:DoubleClickSpeed");
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_EQ(Boxes(), Box("Fail to SetDoubleClock (wht)!"));
  EXPECT_EQ(DesktopValues(), "250/6/7");
}

TEST_F(StartupProgram, WithoutTheInstallationRecordItSaysSoAndAppliesNothing) {
  DeleteValue("InstallPath");
  const RunResult r = RunStartup();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), Box("Fail to load data from Register File!"));
  EXPECT_EQ(DesktopValues(), "500/4/4");
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");
}

// The programs the startup program starts lie in the installation folder of the record: a record
// naming a folder outside the machine's drives is refused with a box, and nothing there runs.
TEST_F(StartupProgram, ARecordNamingAFolderOutsideTheDrivesIsRefusedAndNothingThereRuns) {
  const std::string outside = root.path() + "/outside";
  for (const char* program : {"QXWMECvr.exe", "QXWMECrb.exe"}) {
    WriteFile(outside + "/" + program, "#!/bin/sh\necho ran >> \"" + outside + "/ran\"\n");
    chmod((outside + "/" + program).c_str(), 0700);
  }
  DeviceService::Qxctl("set TouchMode=1 RbfEnable=1 RbfAutoMode=0");  // the right-button program is needed
  DeviceService::Qxctl("journal --clear");
  for (const auto& [value, folder] :
       {std::pair{"InstallPath", "installation folder"}, std::pair{"WindowsPath", "Windows folder"}}) {
    SCOPED_TRACE(value);
    WriteInstallation();
    WriteString(value, outside);
    std::filesystem::remove(LogPath());
    const RunResult r = RunStartup();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Boxes(), Box(std::string("The ") + folder + " \"" + outside + "\" (" + value +
                           ") is not on the machine's drives!"));
    EXPECT_EQ(DeviceService::Qxctl("journal"), "");
  }
  EXPECT_FALSE(std::filesystem::exists(outside + "/ran"));
}

// A FIFO in place of the desktop's live values is a file that cannot be read or written: the
// log-on goes on in its usual time, the steps that set the desktop fail and say so.
TEST_F(StartupProgram, AFifoInPlaceOfTheDesktopsValuesHoldsUpNoLogOn) {
  const std::string values = DesktopFolder() + "/mouse.ini";
  ASSERT_EQ(::mkfifo(values.c_str(), 0600), 0);
  const RunResult r = RunStartup();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Boxes(), Box("Fail to SetDoubleClock (WHT)!"));
  EXPECT_EQ(JournalLines("GetSettings").size(), 1u);
  EXPECT_TRUE(std::filesystem::is_fifo(values));
}

TEST_F(StartupProgram, WithoutTheDriverItSaysSoAndEndsWithoutWaiting) {
  const auto begun = std::chrono::steady_clock::now();
  const RunResult r = WithoutDriver([] { return RunStartup(); });
  const auto took = std::chrono::steady_clock::now() - begun;
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), Box("Fail to open QXWMECOM.vxd!"));
  EXPECT_EQ(DesktopValues(), "500/32/32");  // applied before the driver is opened
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");
  EXPECT_LT(took, std::chrono::milliseconds(1500));  // no pause: well under a start plus a second
}

TEST_F(StartupProgram, WithoutAControllerItSaysSoAfterOneRequest) {
  DeviceService::Qxctl("controller absent");
  DeviceService::Qxctl("journal --clear");
  InstallCompanion();
  const RunResult r = RunStartup();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), Box("TouchScreen Controller Not Found!"));
  EXPECT_EQ(JournalLines("").size(), 1u);
  EXPECT_EQ(JournalLines("GetSettings").size(), 1u);
  EXPECT_EQ(CompanionLog(), "");  // nothing started
}

TEST_F(StartupProgram, AStartedCompanionProgramReportsTheScreenItself) {
  InstallCompanion();
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_EQ(CompanionLog(), "shown 1\n");  // a normal window
  EXPECT_TRUE(JournalLines("SetScreenSize").empty());
}

TEST_F(StartupProgram, ARightButtonProgramIsStartedHiddenWhenNoneIsRegistered) {
  DeviceService::Qxctl("set TouchMode=1 RbfEnable=1 RbfAutoMode=1");
  DeviceService::Qxctl("journal --clear");
  EXPECT_EQ(RunStartup().exitCode, 0);
  const RbfState state = WaitForRbf([](const RbfState& s) { return s.window != -1; });
  ASSERT_NE(state.window, -1);
  EXPECT_EQ(ShowState(state.window / 256), "0");  // SW_HIDE
  EXPECT_EQ(Boxes(), "");
  // One that had to be started is told nothing: it shows its button.
  EXPECT_EQ(VisibleRightButtonWindows(), std::vector<HWND>{state.window});
}

TEST_F(StartupProgram, ARunningRightButtonProgramIsHiddenInTheAutomaticModeOnly) {
  DeviceService::Qxctl("set TouchMode=1 RbfEnable=1 RbfAutoMode=0");
  const HWND running = StartRightButton();
  ASSERT_TRUE(IsWindowVisible(running));
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_TRUE(IsWindowVisible(running));  // the manual mode leaves it alone
  EXPECT_EQ(ReadRbf().window, running);

  DeviceService::Qxctl("set RbfAutoMode=1");
  DeviceService::Qxctl("journal --clear");
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_FALSE(IsWindowVisible(running));  // RBF_HIDE
  EXPECT_EQ(JournalLines("GetRbfRegistration").size(), 2u);
  EXPECT_EQ(ReadRbf().window, running);  // no second copy
  EXPECT_EQ(Boxes(), "");
}

TEST_F(StartupProgram, DragDropWithTheAutomaticModeNeedsNoRightButtonProgram) {
  DeviceService::Qxctl("set TouchMode=4 RbfEnable=1 RbfAutoMode=1");
  const HWND running = StartRightButton();
  DeviceService::Qxctl("journal --clear");
  EXPECT_EQ(RunStartup().exitCode, 0);
  EXPECT_TRUE(JournalLines("GetRbfRegistration").empty());
  EXPECT_TRUE(IsWindowVisible(running));
}

TEST_F(StartupProgram, ARightButtonProgramThatCannotStartIsReportedAndTheSequenceGoesOn) {
  DeviceService::Qxctl("set TouchMode=2 RbfEnable=1 RbfAutoMode=0");
  std::filesystem::remove(InstallFolder() + "/QXWMECrb.exe");
  const RunResult r = RunStartup();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Boxes(), Box("Fail to initialize Right Button Function!"));
  EXPECT_EQ(ReadRbf().window, -1);
}

TEST_F(StartupProgram, ARegistrationLeftByAKilledProgramDoesNotStopANewStart) {
  DeviceService::Qxctl("set TouchMode=1 RbfEnable=1 RbfAutoMode=1");
  const HWND killed = StartRightButton();
  KillAndWait(killed / 256, SIGKILL);
  ASSERT_EQ(ReadRbf().window, killed);  // still registered
  EXPECT_EQ(RunStartup().exitCode, 0);
  const RbfState state = WaitForRbf([killed](const RbfState& s) { return s.window != killed && s.window != -1; });
  EXPECT_NE(state.window, killed);
  EXPECT_TRUE(IsWindow(state.window));
}

TEST_F(StartupProgram, OnlyTheWholeCommandLineSdcInAnyCaseOpensTheDialog) {
  // "/SDC " with a blank, and two arguments, are the startup: it ends by itself.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/SDC "}, std::vector<std::string>{"/SDC", "x"}}) {
    DeviceService::Qxctl("journal --clear");
    EXPECT_EQ(RunStartup(args).exitCode, 0);
    EXPECT_EQ(JournalLines("GetSettings").size(), 1u);
  }

  DeviceService::Qxctl("journal --clear");
  SetDoubleClickTime(650);  // not what the stored values would apply
  const pid_t dialog = SpawnProgram({Program("QXWMECao"), "/sdc"}, "dialog.log");
  const HWND window = WaitForWindow(kTitle, dialog);
  ASSERT_NE(window, 0) << ReadFile(RootFile("dialog.log"));
  // The dialog neither touches the driver nor applies anything by itself.
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");
  EXPECT_EQ(DesktopValues(), "650/32/32");

  // A second start while the dialog is open brings it forward and ends at once.
  const RunResult second = RunStartup();
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(Boxes(), "");
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");

  SendMessageA(window, WM_CLOSE, 0, 0);
  int status = -1;
  ASSERT_EQ(waitpid(dialog, &status, 0), dialog);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(DesktopValues(), "650/32/32");  // closed without applying
}

}  // namespace
}  // namespace qx::test
