// StartRbfProgram and StartSmiProgram start the sibling programs from the installation folder.
#include "platform/program_start.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/settings_store.h"
#include "host/paths.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPath = "C:\\Program Files\\QX-COM"; }
  void TearDown() override { InstallPath.clear(); }

  // A stand-in for program NAME that writes the show state it was given to NAME.out.
  std::string Install(const std::string& name) {
    std::string file = HostPath(InstallPath + "\\" + name);
    std::string out = root.path() + "/" + name + ".out";
    test::WriteFile(file, "#!/bin/sh\necho \"$QX_SHOWCMD\" > '" + out + "'\n");
    chmod(file.c_str(), 0755);
    return out;
  }

  test::TempRoot root;
};

TEST_F(ProgramStartTest, StartsTheRightButtonProgramHiddenAndTheCompanionShown) {
  std::string rbf = Install(RBF_PROGRAM);
  std::string smi = Install(SMI_PROGRAM);
  EXPECT_TRUE(StartRbfProgram());
  EXPECT_TRUE(StartSmiProgram());
  EXPECT_EQ(test::ReadUntil(rbf, test::HasWholeLine, 5000), "0\n");
  EXPECT_EQ(test::ReadUntil(smi, test::HasWholeLine, 5000), "1\n");
}

TEST_F(ProgramStartTest, AMissingProgramOrFolderIsAFailure) {
  EXPECT_FALSE(StartRbfProgram());  // the folder is missing
  Install(RBF_PROGRAM);
  EXPECT_FALSE(StartSmiProgram());  // the folder is there, the file is not
  InstallPath.clear();              // no installation record loaded
  EXPECT_FALSE(StartRbfProgram());
}

}  // namespace
}  // namespace qx
