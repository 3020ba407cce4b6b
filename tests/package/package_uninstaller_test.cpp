// The package: install-suite's list of what it installed, its uninstaller unins000.exe run as a
// real process, and the desktop launchers of --desktop.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/registry_access.h"
#include "host/machine_root.h"
#include "tests/support/process.h"
#include "tests/support/suite_installation.h"
#include "tests/support/temp_root.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeBuildFolder(build); }
  std::string Installed(const std::string& file) const { return root.path() + kInstalledFolder + "/" + file; }
  RunResult Uninstall(const std::vector<std::string>& args = {"/SILENT"}, const std::vector<std::string>& env = {}) {
    std::vector<std::string> argv{Installed("unins000.exe")};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv, env);
  }

  TempRoot root;
  std::string build = root.path() + "/build";
};

TEST_F(PackageTest, TheUninstallerRemovesWhatWasInstalledAndOnlyThat) {
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  EXPECT_TRUE(fs::exists(root.path() + kWindowsFolder + "/QXWMECde.exe"));
  EXPECT_FALSE(fs::exists(Installed("QXWMECde.exe")));
  // A log-on entry the package made and listed, a file and a key of the person's own, and a
  // product of the same vendor sharing its key.
  const std::string logon = root.path() + kWindowsFolder + "/Start Menu/Programs/StartUp/TouchScreen Startup.desktop";
  WriteFile(logon, "[Desktop Entry]\nType=Application\nName=TouchScreen Startup\nExec=true\n");
  WriteFile(Installed("unins000.lst"),
            ReadFile(Installed("unins000.lst")) +
                "file\tC:\\WINDOWS\\Start Menu\\Programs\\StartUp\\TouchScreen Startup.desktop\n");
  WriteFile(Installed("my notes.txt"), "mine");
  WriteFile(root.path() + "/drive_c/Program Files/TouchScreen/Other/readme.txt", "another product");
  WriteStringValue("SOFTWARE\\Harlenby\\Other", "Version", "1");

  const RunResult removed = Uninstall();
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(removed.err, "");
  for (const char* file :
       {"QXWMECcp.exe", "QXWMECao.exe", "QXWMECrb.exe", "QXWMECdi.exe", "unins000.exe", "unins000.lst"})
    EXPECT_FALSE(fs::exists(Installed(file))) << file;
  EXPECT_FALSE(fs::exists(logon));
  EXPECT_EQ(ReadFile(Installed("my notes.txt")), "mine");
  EXPECT_TRUE(fs::exists(root.path() + "/drive_c/Program Files/TouchScreen/Other/readme.txt"));
  EXPECT_TRUE(fs::exists(root.path() + kWindowsFolder + "/QXWMECde.exe"));  // it deletes itself
  EXPECT_FALSE(KeyExists("SOFTWARE\\Harlenby\\TouchScreen"));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Harlenby\\Other"));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Harlenby"));

  // Without the person's files the folders go too, the vendor's key once nothing shares it.
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  fs::remove(Installed("my notes.txt"));
  fs::remove_all(root.path() + "/drive_c/Program Files/TouchScreen/Other");
  RunResult deleted = test::Run({Program("qxreg"), "delete", "HKLM\\SOFTWARE\\Harlenby\\Other", "/f"});
  ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
  EXPECT_EQ(Uninstall().exitCode, 0);
  EXPECT_FALSE(fs::exists(root.path() + "/drive_c/Program Files/TouchScreen"));
  EXPECT_TRUE(fs::exists(root.path() + "/drive_c/Program Files"));
  EXPECT_FALSE(KeyExists("SOFTWARE\\Harlenby"));
  EXPECT_TRUE(KeyExists("SOFTWARE"));
}

TEST_F(PackageTest, AReinstallKeepsListingWhatAnEarlierInstallationPutThere) {
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  fs::remove(build + "/bin/QXWMECao");  // this build has no startup program
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  const std::string list = ReadFile(Installed("unins000.lst"));
  EXPECT_EQ(list.find("QXWMECao.exe"), list.rfind("QXWMECao.exe"));  // once
  EXPECT_EQ(list.find("QXWMECcp.exe"), list.rfind("QXWMECcp.exe"));
  EXPECT_EQ(Uninstall().exitCode, 0);
  EXPECT_FALSE(fs::exists(Installed("QXWMECao.exe")));
}

TEST_F(PackageTest, TheUninstallerAsksForSilenceAndRefusesABrokenList) {
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  EXPECT_EQ(Uninstall({}).exitCode, 64);
  EXPECT_EQ(Uninstall({"/bogus"}).exitCode, 64);
  const std::string list = ReadFile(Installed("unins000.lst"));
  WriteFile(Installed("unins000.lst"), list + "everything\t/\n");
  const RunResult refused = Uninstall();
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("line "), std::string::npos) << refused.err;
  EXPECT_TRUE(fs::exists(Installed("QXWMECcp.exe")));  // nothing removed
  EXPECT_TRUE(KeyExists("SOFTWARE\\Harlenby\\TouchScreen\\QX-COM"));
  // A FIFO in the list's place is no list, and is not waited on.
  fs::remove(Installed("unins000.lst"));
  ASSERT_EQ(::mkfifo(Installed("unins000.lst").c_str(), 0600), 0);
  const RunResult fifo = Uninstall();
  EXPECT_NE(fifo.err.find("no list of what was installed"), std::string::npos) << fifo.err;
  fs::remove(Installed("unins000.lst"));
  // A folder in the list is never emptied: only an empty one goes.
  WriteFile(root.path() + "/drive_c/Program Files/readme.txt", "the person's");
  WriteFile(Installed("unins000.lst"), list + "folder\t" + root.path() + "/drive_c/Program Files\n");
  EXPECT_EQ(Uninstall({"/silent"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(Installed("QXWMECcp.exe")));
  EXPECT_EQ(ReadFile(root.path() + "/drive_c/Program Files/readme.txt"), "the person's");
}

// An uninstallation stopped after it wrote its own deletion into WININIT.INI, before its restart:
// an installation then drops the deletions of the files it puts back, so the next start keeps
// them, and carries out the rest.
TEST_F(PackageTest, AnInstallationKeepsItsFilesFromDeletionsLeftPending) {
  const std::string windows = root.path() + kWindowsFolder;
  WriteFile(root.path() + "/drive_c/other.txt", "goes");
  WriteFile(windows + "/WININIT.INI",
            "[rename]\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\nnul=c:\\program files\\touchscreen\\qx-com\\QXWMECcp.exe\r\n"
            "NUL=C:\\other.txt\r\n");
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  EXPECT_EQ(ReadFile(windows + "/WININIT.INI"), "[rename]\r\nNUL=C:\\other.txt\r\n");
  const RunResult boot = test::Run({Program("qxmachine"), "--root", root.path(), "boot"}, {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(boot.exitCode, 0) << boot.err;
  EXPECT_TRUE(fs::exists(windows + "/QXWMECde.exe"));
  EXPECT_TRUE(fs::exists(Installed("QXWMECcp.exe")));
  EXPECT_FALSE(fs::exists(root.path() + "/drive_c/other.txt"));
  test::Run({Program("qxmachine"), "--root", root.path(), "shutdown"});
}

// The package's uninstaller removes the installation it lies in: a root named otherwise, by
// QX_ROOT (as "Trying it by hand" exports it) or --root, is refused and neither root loses a file.
TEST_F(PackageTest, TheUninstallerOfOneRootRefusesToRemoveAnother) {
  TempRoot other;  // the machine root of this process from here on
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  const std::string otherProgram = other.path() + kInstalledFolder + "/QXWMECcp.exe";
  SetMachineRoot(root.path());
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  for (const auto& [args, env] :
       {std::pair<std::vector<std::string>, std::vector<std::string>>{{"/SILENT"}, {"QX_ROOT=" + other.path()}},
        {{"--root", other.path(), "/SILENT"}, {}}}) {
    const RunResult refused = Uninstall(args, env);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("belongs to the machine root " + root.path() + ", not to " + other.path()),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(fs::exists(otherProgram));
    EXPECT_TRUE(fs::exists(Installed("QXWMECcp.exe")));
  }
  // Named or not, its own root is what it removes.
  EXPECT_EQ(Uninstall({"/SILENT"}, {"QX_ROOT="}).exitCode, 0);
  EXPECT_FALSE(fs::exists(Installed("QXWMECcp.exe")));
  EXPECT_TRUE(fs::exists(otherProgram));
}

// An edited list removes only what the package may have installed; each other line is refused
// with the reason, and what it names, inside or outside the root, stays.
TEST_F(PackageTest, AnEditedListRemovesOnlyWhatThePackageMayHaveInstalled) {
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  TempRoot outside;  // a folder beside the root, made the root of nothing
  SetMachineRoot(root.path());
  WriteFile(outside.path() + "/victim.txt", "the person's");
  fs::create_directories(outside.path() + "/empty");
  fs::create_directories(root.path() + "/drive_c/Empty");
  WriteStringValue("SOFTWARE\\Other", "Version", "1");
  RunResult added = test::Run({Program("qxreg"), "add", "HKCU\\Software\\Person", "/v", "Name", "/d", "me", "/f"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  added = test::Run({Program("qxreg"), "add", "HKLM\\SOFTWARE\\Empty", "/f"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  const std::vector<std::string> lines = {
      "file\t" + outside.path() + "/victim.txt",
      "file\t" + root.path() + "/drive_c/../../" + fs::path(outside.path()).filename().string() + "/victim.txt",
      "folder\t" + outside.path() + "/empty",
      "folder\tC:\\",
      "key\tHKCU\\Software",
      "key\tHKLM\\SOFTWARE\\Other",
      "emptykey\tHKLM\\SOFTWARE\\Empty",
      "emptykey\tHKLM\\SOFTWARE",
  };
  std::string list = ReadFile(Installed("unins000.lst"));
  for (const std::string& line : lines) list += line + "\n";
  WriteFile(Installed("unins000.lst"), list);

  const RunResult removed = Uninstall();
  EXPECT_EQ(removed.exitCode, 1);
  for (const std::string& line : lines)
    EXPECT_NE(removed.err.find("unins000: refused " + line.substr(line.find('\t') + 1) + ": "), std::string::npos)
        << line << "\n"
        << removed.err;
  EXPECT_EQ(ReadFile(outside.path() + "/victim.txt"), "the person's");
  EXPECT_TRUE(fs::is_directory(outside.path() + "/empty"));
  EXPECT_TRUE(fs::is_directory(root.path() + "/drive_c"));
  for (const char* key : {"SOFTWARE\\Other", "SOFTWARE\\Empty", "SOFTWARE"}) EXPECT_TRUE(KeyExists(key)) << key;
  const RunResult person = test::Run({Program("qxreg"), "query", "HKCU\\Software\\Person", "/v", "Name"});
  EXPECT_EQ(person.exitCode, 0) << person.err;
  // What the package installed went all the same.
  EXPECT_FALSE(fs::exists(Installed("QXWMECcp.exe")));
  EXPECT_FALSE(KeyExists("SOFTWARE\\Harlenby"));
}

// --desktop with XDG folders of the test's own, the root being the default one below them.
class DesktopTest : public PackageTest {
 protected:
  std::string data = root.path() + "/home data";
  std::string config = root.path() + "/home config";
  std::vector<std::string> env = {"QX_ROOT=", "XDG_DATA_HOME=" + data, "XDG_CONFIG_HOME=" + config};
  std::string launcher = data + "/applications/qx-com-control-panel.desktop";
  std::string autostart = config + "/autostart/qx-com-machine.desktop";
};

TEST_F(DesktopTest, TheLauncherAndAutostartEntryAreValidAndTheUninstallerRemovesThem) {
  const std::string defaultRoot = data + "/qx-com";
  SetMachineRoot(defaultRoot);
  const RunResult installed = test::Run(
      {std::string(QX_SOURCE_DIR) + "/package/install-suite", "--build", build, "--desktop", "--no-setup"}, env);
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  ASSERT_TRUE(fs::exists(defaultRoot + kInstalledFolder + "/QXWMECcp.exe"));
  for (const std::string& entry : {launcher, autostart}) {
    const RunResult valid = test::Run({"/usr/bin/desktop-file-validate", entry});
    EXPECT_EQ(valid.exitCode, 0) << entry << "\n" << valid.out << valid.err;
    EXPECT_EQ(valid.out + valid.err, "") << entry;
  }
  // The launcher names the installed control panel (its path has blanks: quoted); the autostart
  // entry boots the machine.
  EXPECT_NE(ReadFile(launcher).find("\nExec=\"" + defaultRoot + kInstalledFolder + "/QXWMECcp.exe\"\n"),
            std::string::npos)
      << ReadFile(launcher);
  EXPECT_NE(ReadFile(autostart).find("/qxmachine\" boot\n"), std::string::npos) << ReadFile(autostart);

  const RunResult removed = test::Run({defaultRoot + kInstalledFolder + "/unins000.exe", "/SILENT"}, env);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_FALSE(fs::exists(launcher));
  EXPECT_FALSE(fs::exists(autostart));
  EXPECT_TRUE(fs::exists(data + "/applications"));
  EXPECT_FALSE(fs::exists(defaultRoot + kInstalledFolder + "/QXWMECcp.exe"));
}

TEST_F(DesktopTest, LaunchersAreMadeForTheDefaultRootOnly) {
  const RunResult refused = InstallSuite(build, {"--desktop", "--no-setup"}, env);
  EXPECT_EQ(refused.exitCode, 64);
  EXPECT_NE(refused.err.find("default root"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(launcher));
  EXPECT_FALSE(fs::exists(autostart));
}

// A "\" in the name of an XDG folder is part of the name: the uninstaller removes the launchers
// there, not the files a "/" in its place would name.
TEST_F(DesktopTest, ABackslashInAFolderNameIsPartOfTheNameNotASeparator) {
  const std::string slashedData = root.path() + "/home\\data";
  const std::string slashedConfig = root.path() + "/home\\config";
  const std::string defaultRoot = slashedData + "/qx-com";
  SetMachineRoot(defaultRoot);
  const std::vector<std::string> slashedEnv = {"QX_ROOT=", "XDG_DATA_HOME=" + slashedData,
                                               "XDG_CONFIG_HOME=" + slashedConfig};
  const RunResult installed = InstallSuite(build, {"--desktop", "--no-setup"}, slashedEnv);
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  const std::string realLauncher = slashedData + "/applications/qx-com-control-panel.desktop";
  const std::string realAutostart = slashedConfig + "/autostart/qx-com-machine.desktop";
  ASSERT_TRUE(fs::exists(realLauncher));
  ASSERT_TRUE(fs::exists(realAutostart));
  // Decoys where the names with "/" for "\" lead: the data and config folders of DesktopTest.
  WriteFile(launcher, "decoy");
  WriteFile(autostart, "decoy");

  const RunResult removed = test::Run({defaultRoot + kInstalledFolder + "/unins000.exe", "/SILENT"}, slashedEnv);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_FALSE(fs::exists(realLauncher));
  EXPECT_FALSE(fs::exists(realAutostart));
  EXPECT_EQ(ReadFile(launcher), "decoy");
  EXPECT_EQ(ReadFile(autostart), "decoy");
}

}  // namespace
}  // namespace qx::test
