// Windows path text to files of the machine root.
#include "host/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_root.h"

namespace qx {
namespace {

TEST(HostPathTest, DrivePathsLieInTheRoot) {
  test::TempRoot root;
  const std::string r = root.path();
  EXPECT_EQ(HostPath("C:\\WINDOWS\\inf\\QXWMECOM.INF"), r + "/drive_c/WINDOWS/inf/QXWMECOM.INF");
  EXPECT_EQ(HostPath("d:\\a\\\\b\\"), r + "/drive_d/a/b");
  EXPECT_EQ(HostPath("C:"), r + "/drive_c");
  EXPECT_EQ(HostPath("C:\\"), r + "/drive_c");
  EXPECT_EQ(HostPath("\\Windows\\x.ini"), r + "/drive_c/Windows/x.ini");  // the system drive
  EXPECT_EQ(HostPath("C:\\a\\.\\b\\..\\c"), r + "/drive_c/a/c");
}

TEST(HostPathTest, NothingClimbsOutOfADrive) {
  test::TempRoot root;
  EXPECT_EQ(HostPath("C:\\..\\..\\etc\\passwd"), root.path() + "/drive_c/etc/passwd");
  EXPECT_EQ(HostPath("C:\\a\\..\\..\\..\\b"), root.path() + "/drive_c/b");
  EXPECT_EQ(HostPath("C:/../x"), root.path() + "/drive_c/x");
}

// A host path is a file name as the person has it: a "\\" in it is part of a folder's name, never
// a separator, so a root or an XDG folder named with one is found, not a decoy beside it.
TEST(HostPathTest, HostPathsPassUnchangedAndAreNotOnTheDrives) {
  test::TempRoot root;
  struct Case {
    const char* path;
    bool onTheDrives;
  };
  for (const Case& c : {Case{"/opt/qx\\bin\\QXWMECrb.exe", false}, Case{"/tmp/a\\b/c", false}, Case{"/", false},
                        Case{"C:\\WINDOWS", true}, Case{"\\a", true}, Case{"..\\..\\x", true}, Case{"", true}}) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(OnTheDrives(c.path), c.onTheDrives);
    if (!c.onTheDrives) {
      EXPECT_EQ(HostPath(c.path), c.path);
    }
  }
  EXPECT_EQ(HostPath(""), "");
}

// The machine's current folder is C:\, whatever the process's own current folder is.
TEST(HostPathTest, RelativePathsStartAtTheSystemDrivesTop) {
  test::TempRoot root;
  EXPECT_EQ(HostPath("sub\\file.txt"), root.path() + "/drive_c/sub/file.txt");
  EXPECT_EQ(HostPath("..\\..\\bin\\true"), root.path() + "/drive_c/bin/true");
  EXPECT_EQ(HostPath("../../bin/true"), root.path() + "/drive_c/bin/true");
  EXPECT_EQ(HostPath("."), root.path() + "/drive_c");
}

TEST(HostPathTest, ExistingNamesAreFoundWithoutRegardToCase) {
  test::TempRoot root;
  const std::string folder = root.path() + "/drive_c/Program Files/QX";
  test::WriteFile(folder + "/QXLogo.Bmp", "x");
  EXPECT_EQ(HostPath("C:\\PROGRAM FILES\\qx\\qxlogo.bmp"), folder + "/QXLogo.Bmp");
  // A file still to be made keeps the case it is given, in the folder that exists.
  EXPECT_EQ(HostPath("C:\\program files\\QX\\New.TXT"), folder + "/New.TXT");
  // Two entries that differ only in case: the name as given is used.
  test::WriteFile(folder + "/a.txt", "1");
  test::WriteFile(folder + "/A.TXT", "2");
  EXPECT_EQ(HostPath("C:\\Program Files\\QX\\A.txt"), folder + "/A.txt");
}

}  // namespace
}  // namespace qx
