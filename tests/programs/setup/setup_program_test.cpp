// The real QXWMECdi on a root laid out by the package: each message of its failure table, and
// the OEM title. Except where a test says otherwise, the restart is made to fail
// (ExitWindowsEx in run/failing-calls), so that the machine stays as the installer left it.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qx::test
