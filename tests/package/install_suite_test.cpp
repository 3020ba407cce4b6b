// package/install-suite run as a real script into a temporary root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "core/settings_store.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

class InstallSuiteTest : public ::testing::Test {
 protected:
  test::TempRoot root;
  std::string build = root.path() + "/build";

  // A build folder whose bin/ holds the real qxreg and one program of the suite.
  void SetUp() override {
    fs::create_directories(build + "/bin");
    fs::create_symlink(test::Program("qxreg"), build + "/bin/qxreg");
    test::WriteFile(build + "/bin/QXWMECrb", "#!/bin/sh\necho right-button\n");
    chmod((build + "/bin/QXWMECrb").c_str(), 0755);
    VenderName = VenderStyle = InstallPath = WindowsPath = SystemPath = HardwareID = "";
    CalibrationMode = 7;
  }
  test::RunResult Install(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(QX_SOURCE_DIR) + "/package/install-suite");
    return test::Run(args);
  }
};

TEST_F(InstallSuiteTest, LaysOutTheFoldersProgramsAndInstallationRecord) {
  auto result = Install({"--root", root.path(), "--build", build});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string c = root.path() + "/drive_c";
  EXPECT_TRUE(fs::is_directory(c + "/WINDOWS/inf"));
  EXPECT_TRUE(fs::is_directory(c + "/WINDOWS/SYSTEM"));
  const std::string folder = c + "/Program Files/TouchScreen/QX-COM";
  EXPECT_EQ(test::ReadFile(folder + "/QXWMECrb.exe"), "#!/bin/sh\necho right-button\n");
  EXPECT_FALSE(fs::exists(folder + "/QXWMECcp.exe"));  // not built, not copied

  ASSERT_TRUE(LoadInstallation());
  EXPECT_EQ(VenderName, "Harlenby");
  EXPECT_EQ(VenderStyle, "");
  EXPECT_EQ(InstallPath, "C:\\Program Files\\TouchScreen\\QX-COM");
  EXPECT_EQ(WindowsPath, "C:\\WINDOWS");
  EXPECT_EQ(SystemPath, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(HardwareID, "SERENUM\\QXW0001");
  EXPECT_TRUE(LoadCalibrationMode());
  EXPECT_EQ(CalibrationMode, 0);
}

TEST_F(InstallSuiteTest, TakesTheVendorValuesGivenAndInstallsAgainOverItself) {
  ASSERT_EQ(Install({"--root", root.path(), "--build", build}).exitCode, 0);
  auto result = Install({"--root", root.path(), "--build", build, "--vender", "Acme \"Touch\" \\ Co", "--style",
                         "21200904", "--hardware-id", "ROOT\\QX\\0000"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(LoadInstallation());
  EXPECT_EQ(VenderName, "Acme \"Touch\" \\ Co");
  EXPECT_EQ(VenderStyle, "21200904");
  EXPECT_EQ(HardwareID, "ROOT\\QX\\0000");
}

TEST_F(InstallSuiteTest, RefusesUnknownArgumentsAndAMissingQxreg) {
  EXPECT_EQ(Install({"--root", root.path(), "--bogus"}).exitCode, 64);
  EXPECT_EQ(Install({"--root"}).exitCode, 64);
  auto result = Install({"--root", root.path(), "--build", root.path() + "/nowhere"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("qxreg"), std::string::npos);
  EXPECT_FALSE(fs::exists(root.path() + "/registry.db"));
}

}  // namespace
}  // namespace qx
