// The real QXWMECdi on a root laid out by the package: each message of its failure table, and
// the OEM title. Except where a test says otherwise, the restart is made to fail
// (ExitWindowsEx in run/failing-calls), so that the machine stays as the installer left it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/settings_store.h"
#include "tests/programs/setup/installation_fixture.h"
#include "tests/programs/setup/registry_values.h"

namespace qx::test {
namespace {

class SetupProgram : public Installation {
 protected:
  void LayOut(std::vector<std::string> args = {}) {
    args.push_back("--no-setup");
    RunResult r = Install(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  void FailCalls(const std::string& calls) { WriteFile(root.path() + "/run/failing-calls", calls); }
  static std::string RestartFailed() { return Box("Fail to restart system! (ExitWindowsEx=0)", 0); }
};

TEST_F(SetupProgram, WithoutInstallationRecordEndsWithoutRestarting) {
  LayOut();
  ::qx::test::Run({Program("qxreg"), "--root", root.path(), "delete", "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM",
                   "/v", "HardwareID", "/f"});
  RunResult r = RunSetup();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Boxes(), Box("Fail to load data from Register File!", 0));
  EXPECT_EQ(SuiteValue("FeedbackTone"), std::nullopt) << "nothing installed";
  EXPECT_EQ(Machine("status").exitCode, 3) << "no restart";
}

TEST_F(SetupProgram, EveryFailedWriteIsSaidInTurnAndTheInstallationGoesOn) {
  WriteFile(root.path() + "/mine.oem", "[SETUP]\r\nTITLE=Acme Touch\r\nSTYLE=21200904\r\n");
  LayOut({"--setup-oem", root.path() + "/mine.oem"});
  FailCalls(
      "RegSetValueExA:FeedbackTone RegSetValueExA:VenderName RegSetValueExA:VenderStyle "
      "RegSetValueExA:DevLoader ExitWindowsEx");
  RunResult r = RunSetup();
  EXPECT_EQ(r.exitCode, 1) << "the restart failed";
  EXPECT_EQ(Boxes(), Box("Fail to save settings! (FeedbackTone)", 0) + Box("Fail to Set Vender Name!", 0) +
                         Box("Fail to Set Vender Style!", 0) + Box("Fail to config system registry!", 0x30) +
                         Box(kFinalText, kFinalType) + RestartFailed());
  EXPECT_EQ(SuiteValue("FeedbackDuration"), Binary({20, 0})) << "the settings after the failed one";
  EXPECT_EQ(SuiteValue("VenderName"), Text("Harlenby"));
  EXPECT_EQ(RegistryValue("System\\CurrentControlSet\\Services\\Class\\Mouse\\0000", "DevLoader"), std::nullopt);
  EXPECT_EQ(RegistryValue("Enum\\Root\\Mouse\\0000", "InfName"), std::nullopt) << "registration stopped";
}

TEST_F(SetupProgram, AnEmptyTitleKeepsTheVendorNameAndAStyleReplacesTheStyle) {
  WriteFile(root.path() + "/mine.oem", "[SETUP]\r\nTITLE=\r\nSTYLE=21200904\r\n");
  LayOut({"--setup-oem", root.path() + "/mine.oem", "--vender", "Acme"});
  FailCalls("ExitWindowsEx");
  RunSetup();
  EXPECT_EQ(Boxes(), Box(kFinalText, kFinalType) + RestartFailed());
  EXPECT_EQ(SuiteValue("VenderName"), Text("Acme"));
  EXPECT_EQ(SuiteValue("VenderStyle"), Text("21200904"));
  ASSERT_TRUE(LoadInstallation());
  EXPECT_EQ(VenderStyle, "21200904");
}

TEST_F(SetupProgram, AnInfThatCannotBeWrittenStopsTheRegistrationBeforeTheRegistry) {
  LayOut();
  FailCalls("WritePrivateProfileStringA ExitWindowsEx");
  RunSetup();
  EXPECT_EQ(Boxes(), Box("Fail to config system registry!", 0x30) + Box(kFinalText, kFinalType) + RestartFailed());
  EXPECT_EQ(RegistryValue("System\\CurrentControlSet\\Services\\Class\\Mouse\\0000", "DevLoader"), std::nullopt);
  EXPECT_EQ(SuiteValue("FeedbackTone"), Binary({0xE8, 0x03})) << "the settings were written before";
}

// The installation record names the folders the installer reads and edits: one outside the
// machine's drives is refused with a box, and nothing there is read or written.
TEST_F(SetupProgram, ARecordNamingAFolderOutsideTheDrivesIsRefusedAndNothingThereIsTouched) {
  LayOut();
  const std::string outside = root.path() + "/outside";
  WriteFile(outside + "/setup.ini", "[Settings]\r\nFeedbackTone=1200\r\n");
  WriteFile(outside + "/setup.oem", "[SETUP]\r\nTITLE=Outside\r\n");
  WriteFile(outside + "/inf/QXWMECOM.INF", "[Strings]\r\n");
  const std::string key = "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM";
  struct Case {
    const char* value;
    const char* onTheDrives;
    const char* folder;
  };
  for (const Case& c : {Case{"InstallPath", "C:\\Program Files\\TouchScreen\\QX-COM", "installation folder"},
                        Case{"WindowsPath", "C:\\WINDOWS", "Windows folder"}}) {
    SCOPED_TRACE(c.value);
    ::qx::test::Run({Program("qxreg"), "--root", root.path(), "add", key, "/v", c.value, "/d", outside, "/f"});
    std::filesystem::remove(LogPath());
    const RunResult r = RunSetup();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Boxes(), Box(std::string("The ") + c.folder + " \"" + outside + "\" (" + c.value +
                               ") is not on the machine's drives!",
                           0x1010));
    ::qx::test::Run({Program("qxreg"), "--root", root.path(), "add", key, "/v", c.value, "/d", c.onTheDrives, "/f"});
  }
  EXPECT_EQ(ReadFile(outside + "/inf/QXWMECOM.INF"), "[Strings]\r\n");
  EXPECT_EQ(SuiteValue("FeedbackTone"), std::nullopt);
  EXPECT_EQ(SuiteValue("VenderName"), Text("Harlenby"));
  EXPECT_EQ(Machine("status").exitCode, 3) << "no restart";
}

// A "setup.ini" that is a FIFO or larger than 1 MiB reads as a missing one: the installation goes
// on in its usual time without initial settings (an 8 MB file once took 9 s and 266 MB).
TEST_F(SetupProgram, ASetupIniThatIsAFifoOrTooLargeCountsAsMissing) {
  for (const bool fifo : {true, false}) {
    SCOPED_TRACE(fifo ? "FIFO" : "8 MB");
    LayOut();
    const std::string ini = InstallFolder() + "/setup.ini";
    std::filesystem::remove(ini);
    if (fifo) ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    else WriteFile(ini, "[Settings]\r\nFeedbackTone=1200\r\n" + std::string(8u << 20, ';'));
    FailCalls("ExitWindowsEx");
    std::filesystem::remove(LogPath());
    const RunResult r = RunSetup();
    EXPECT_EQ(r.exitCode, 1) << "the restart failed, and the program ended";
    EXPECT_EQ(Boxes(), Box(kFinalText, kFinalType) + RestartFailed());
    EXPECT_EQ(SuiteValue("FeedbackTone"), std::nullopt);
  }
}

}  // namespace
}  // namespace qx::test
