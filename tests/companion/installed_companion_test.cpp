// package/install-suite lays out the companion beside the other programs and the startup
// program's log-on entry; qxmachine boot runs the entry. The startup program here is a stand-in
// that starts the installed companion as the real one does at log-on, so the boot ends with the
// real companion registered with the device service that qxmachine started.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "host/machine_root.h"
#include "tests/companion/companions.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/suite_installation.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;

constexpr char kStandInStartup[] =
    "#!/bin/sh\n"
    "printf '%s' \"$QX_ROOT\" > \"$QX_ROOT/startup-ran\"\n"
    "\"$(dirname \"$0\")/QXWMECvr.exe\" &\n";

class InstalledCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(build + "/bin");
    fs::create_symlink(Program("qxreg"), build + "/bin/qxreg");
    fs::create_symlink(Program("QXWMECvr"), build + "/bin/QXWMECvr");
    // A machine root whose path holds what an Exec line must quote.
    SetMachineRoot(machine);
  }
  void TearDown() override { Qxmachine("shutdown"); }

  std::string Folder() const { return machine + "/drive_c/Program Files/TouchScreen/QX-COM"; }
  std::string Entry() const {
    return machine + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/TouchScreen Startup.desktop";
  }

  TempRoot root;
  std::string build = root.path() + "/build";
  std::string machine = root.path() + "/a $b \"c\" `d` %e";
};

TEST_F(InstalledCompanion, BootRunsTheStartupEntryWhichStartsTheInstalledCompanion) {
  WriteFile(build + "/bin/QXWMECao", kStandInStartup);
  chmod((build + "/bin/QXWMECao").c_str(), 0755);
  const RunResult installed = InstallSuite(build);
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  EXPECT_TRUE(fs::exists(Folder() + "/QXWMECvr.exe"));
  EXPECT_EQ(ReadFile(Folder() + "/QXWMECao.exe"), kStandInStartup);
  const std::string entry = ReadFile(Entry());
  EXPECT_NE(entry.find("\nName=TouchScreen Startup\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos) << entry;

  // A display's screen for the log-on's programs (the offscreen platform's own one is no display).
  WriteFile(root.path() + "/screen.json",
            R"({"screens": [{"name": "main", "x": 0, "y": 0, "width": 1024, "height": 768}]})");
  const RunResult boot = Qxmachine("boot", {"QT_QPA_PLATFORM=offscreen:configfile=" + root.path() + "/screen.json"});
  ASSERT_EQ(boot.exitCode, 0) << boot.out << boot.err;
  EXPECT_NE(boot.out.find("started TouchScreen Startup.desktop"), std::string::npos) << boot.out;
  const SmiState state = WaitForSmi([](const SmiState& s) { return s.window > 0; });
  ASSERT_GT(state.window, 0) << boot.out << boot.err;
  EXPECT_EQ(ReadFile(machine + "/startup-ran"), machine);  // run with the root in QX_ROOT
  EXPECT_TRUE(WaitUntil([] { return !Sent("SetMonitors").empty(); }, 5000));
  EXPECT_EQ(Sent("SetMonitors"), std::vector<std::string>{"Count=1 Chosen=main"});

  // Shut down, the machine ends the companion with its other programs.
  const RunResult shutdown = Qxmachine("shutdown");
  EXPECT_EQ(shutdown.exitCode, 0) << shutdown.out << shutdown.err;
  EXPECT_TRUE(WaitForProcessEnd(state.window / 256, 10000));
}

TEST_F(InstalledCompanion, WithoutTheStartupProgramBuiltTheEntryIsStillWritten) {
  const RunResult installed = InstallSuite(build);
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  EXPECT_FALSE(fs::exists(Folder() + "/QXWMECao.exe"));
  EXPECT_TRUE(fs::exists(Folder() + "/QXWMECvr.exe"));
  // The entry names where the program will be once it is installed; until then boot says so.
  ASSERT_TRUE(fs::exists(Entry()));
  const RunResult boot = Qxmachine("boot");
  EXPECT_EQ(boot.exitCode, 1);
  EXPECT_NE(boot.err.find(Folder() + "/QXWMECao.exe: no such program"), std::string::npos) << boot.err;
  // Installing again over the first installation leaves one entry.
  ASSERT_EQ(InstallSuite(build).exitCode, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(Entry()).parent_path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qx::test
