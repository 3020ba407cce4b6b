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
  // The package laid out only: this build has no installer to run.
  test::RunResult Install(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(QX_SOURCE_DIR) + "/package/install-suite");
    args.push_back("--no-setup");
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
  // The installer's files: the controller's first settings, no OEM title, the driver's INF.
  EXPECT_EQ(test::ReadFile(folder + "/setup.ini"), test::ReadFile(std::string(QX_SOURCE_DIR) + "/package/setup.ini"));
  EXPECT_FALSE(fs::exists(folder + "/setup.oem"));
  EXPECT_NE(test::ReadFile(c + "/WINDOWS/inf/QXWMECOM.INF").find("\n[Strings]\n"), std::string::npos);

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
  // What a run killed before its rename left behind goes with the next.
  const std::string leftover = root.path() + "/drive_c/Program Files/TouchScreen/QX-COM/.install-suite.Ab12Cd";
  test::WriteFile(leftover, "half a program");
  auto result = Install({"--root", root.path(), "--build", build, "--vender", "Acme \"Touch\" \\ Co", "--style",
                         "21200904", "--hardware-id", "ROOT\\QX\\0000"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ASSERT_TRUE(LoadInstallation());
  EXPECT_EQ(VenderName, "Acme \"Touch\" \\ Co");
  EXPECT_EQ(VenderStyle, "21200904");
  EXPECT_EQ(HardwareID, "ROOT\\QX\\0000");
  EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(InstallSuiteTest, InstallsTheSetupFilesGivenAndDropsAnOemFileNotGivenAgain) {
  test::WriteFile(root.path() + "/mine.ini", "[Settings]\r\nFeedbackTone=1200\r\n");
  test::WriteFile(root.path() + "/mine.oem", "[SETUP]\r\nTITLE=Acme\r\n");
  auto result = Install({"--root", root.path(), "--build", build, "--setup-ini", root.path() + "/mine.ini",
                         "--setup-oem", root.path() + "/mine.oem"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string folder = root.path() + "/drive_c/Program Files/TouchScreen/QX-COM";
  EXPECT_EQ(test::ReadFile(folder + "/setup.ini"), "[Settings]\r\nFeedbackTone=1200\r\n");
  EXPECT_EQ(test::ReadFile(folder + "/setup.oem"), "[SETUP]\r\nTITLE=Acme\r\n");

  ASSERT_EQ(Install({"--root", root.path(), "--build", build}).exitCode, 0);
  EXPECT_FALSE(fs::exists(folder + "/setup.oem"));
}

TEST_F(InstallSuiteTest, RefusesAnUnreadableSetupFileAndASetupNotBuiltBeforeWritingAnything) {
  auto result = Install({"--root", root.path(), "--build", build, "--setup-oem", root.path() + "/nowhere.oem"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("nowhere.oem"), std::string::npos) << result.err;
  // Without --no-setup the installer must be there to run.
  result = test::Run({std::string(QX_SOURCE_DIR) + "/package/install-suite", "--root", root.path(), "--build", build});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("QXWMECdi"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(root.path() + "/registry.db"));
}

TEST_F(InstallSuiteTest, RefusesUnknownArgumentsAndAMissingQxreg) {
  EXPECT_EQ(Install({"--root", root.path(), "--bogus"}).exitCode, 64);
  EXPECT_EQ(test::Run({std::string(QX_SOURCE_DIR) + "/package/install-suite", "--root"}).exitCode, 64);
  auto result = Install({"--root", root.path(), "--build", root.path() + "/nowhere"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("qxreg"), std::string::npos);
  EXPECT_FALSE(fs::exists(root.path() + "/registry.db"));
}

// Links planted where install-suite writes (a file it replaces, the name it writes the list under
// before it renames it) are replaced, never written through: the files they point to keep their
// text, and the installation's own files are regular files with theirs.
TEST_F(InstallSuiteTest, WritesEveryFileAnewThroughNoLinkPlantedInItsPlace) {
  const std::string folder = root.path() + "/drive_c/Program Files/TouchScreen/QX-COM";
  const std::string entry = root.path() + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/TouchScreen Startup.desktop";
  const std::string outside = root.path() + "/outside";
  const std::vector<std::string> planted = {folder + "/unins000.lst.new", folder + "/unins000.lst", entry,
                                            folder + "/setup.ini", folder + "/QXWMECrb.exe"};
  fs::create_directories(fs::path(entry).parent_path());
  fs::create_directories(folder);
  for (std::size_t i = 0; i < planted.size(); ++i) {
    test::WriteFile(outside + std::to_string(i), "the person's");
    fs::create_symlink(outside + std::to_string(i), planted[i]);
  }
  test::WriteFile(build + "/bin/unins000", "#!/bin/sh\n");  // the package's uninstaller and its list too
  const auto result = Install({"--root", root.path(), "--build", build});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (std::size_t i = 0; i < planted.size(); ++i)
    EXPECT_EQ(test::ReadFile(outside + std::to_string(i)), "the person's") << planted[i];
  for (const std::string& file : {folder + "/unins000.lst", entry, folder + "/setup.ini", folder + "/QXWMECrb.exe"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file))) << file;
    EXPECT_NE(test::ReadFile(file), "the person's") << file;
  }
  EXPECT_EQ(test::ReadFile(folder + "/QXWMECrb.exe"), "#!/bin/sh\necho right-button\n");
  EXPECT_EQ(fs::status(folder + "/QXWMECrb.exe").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(InstallSuiteTest, RefusesARootTooLongForItsSocketsBeforeMakingIt) {
  const std::string longRoot = root.path() + "/" + std::string(99 - root.path().size(), 'r');
  auto result = Install({"--root", longRoot, "--build", build});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("100 bytes long, too long for the sockets in its run/ (at most 82)"), std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(longRoot));
}

}  // namespace
}  // namespace qx
