// One copy of a program per machine root: the lock, and a second copy that finds the first
// copy's window by its caption and brings it forward.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "host/machine_root.h"
#include "host/paths.h"
#include "host/process_start.h"
#include "host/window_bus.h"
#include "platform/single_instance.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/window_program.h"

namespace qx {
namespace {

using test::WindowProgram;

constexpr UINT kActivateExtra = 0x402, kIsActive = 0x403;

class SingleInstanceTest : public ::testing::Test {
 protected:
  test::RunResult SecondCopy(const std::string& caption) {
    return test::Run({test::Program("bus_test_window"), "--caption", caption});
  }

  test::TempRoot root;
};

TEST_F(SingleInstanceTest, SecondCopyFindsTheFirstBeforeAnyWindowAndBringsItForward) {
  WindowProgram first("Bus Test Program", {"--extra", "Bus Test Program and more"});
  // Another window of the first copy is the active one now.
  ASSERT_EQ(SendMessageA(first.main(), kActivateExtra, 0, 0), 1);
  ASSERT_EQ(SendMessageA(first.main(), kIsActive, 0, 0), 0);

  test::RunResult second = SecondCopy("Bus Test Program");
  EXPECT_EQ(second.exitCode, 0) << second.out << second.err;
  EXPECT_EQ(second.out, "another copy, raised " + std::to_string(first.main()) + ": 1\n");
  EXPECT_EQ(SendMessageA(first.main(), kIsActive, 0, 0), 1);
}

TEST_F(SingleInstanceTest, ACaptionWithMoreCharactersDoesNotMatch) {
  WindowProgram first("Bus Test Program and more");
  test::RunResult second = SecondCopy("Bus Test Program");
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_EQ(second.out, "another copy, no window\n");
  EXPECT_EQ(FindCopyWindow(0, "Bus Test Program"), 0);
  EXPECT_EQ(FindCopyWindow(0, "Bus Test Program and more"), first.main());
  EXPECT_EQ(FindCopyWindow(0, "bus test program and more"), 0);  // case counts
}

TEST_F(SingleInstanceTest, OwnParentedAndInstanceWindowsAreSkipped) {
  WindowProgram first("Copy", {"--child", "Copy child", "--instance", "Copy instance"});
  HWND child = first.Window("Copy child");
  HWND instance = first.Window("Copy instance");
  ASSERT_NE(child, 0);
  ASSERT_NE(instance, 0);
  EXPECT_EQ(GetParent(child), first.main());
  EXPECT_EQ(GetWindowWord(instance, GWW_HINSTANCE), 0x400);
  EXPECT_EQ(GetWindowWord(first.main(), GWW_HINSTANCE), 0);

  EXPECT_EQ(FindCopyWindow(0, "Copy"), first.main());
  EXPECT_EQ(FindCopyWindow(first.main(), "Copy"), 0);
  EXPECT_EQ(FindCopyWindow(0, "Copy child"), 0);
  EXPECT_EQ(FindCopyWindow(0, "Copy instance"), 0);
  EXPECT_EQ(FindCopyWindow(0, ""), 0);  // an empty title never matches
}

TEST_F(SingleInstanceTest, OnlyWhatA128CharacterBufferHoldsIsCompared) {
  const std::string title(130, 'Q');
  WindowProgram first(title);
  EXPECT_EQ(FindCopyWindow(0, title), 0);  // 127 characters copied, 130 asked
  EXPECT_EQ(FindCopyWindow(0, title.substr(0, 127)), first.main());
}

TEST_F(SingleInstanceTest, TheLockGoesWithTheProcess) {
  {
    WindowProgram first("Copy");
    EXPECT_EQ(SecondCopy("Copy").exitCode, 0);
    first.Kill(SIGKILL);
  }
  // The first copy's end freed the lock: a new copy is the first one again.
  WindowProgram again("Copy");
  EXPECT_NE(again.main(), 0);
}

TEST_F(SingleInstanceTest, TheLockIsHeldForLifeAndNotInherited) {
  EXPECT_FALSE(AnotherCopyRunning("QXWMECcp"));
  EXPECT_FALSE(AnotherCopyRunning("QXWMECcp"));     // asking again is not another copy
  EXPECT_FALSE(AnotherCopyRunning("../QXWMECao"));  // a name never leads out of run/

  test::WriteFile(HostPath("C:\\QX\\Sleeper.exe"), "#!/bin/sh\nexec sleep 30\n");
  chmod(HostPath("C:\\QX\\Sleeper.exe").c_str(), 0755);
  DWORD pid = 0;
  ASSERT_EQ(StartProcess("C:\\QX\\Sleeper.exe", SW_HIDE, &pid), 33u);
  std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  int lockFiles = 0;
  if (DIR* d = opendir(fds.c_str())) {
    while (dirent* e = readdir(d)) {
      char target[512] = {};
      // Only the root's own locks: the test may run under a lock of its caller's (flock).
      if (readlink((fds + "/" + e->d_name).c_str(), target, sizeof target - 1) > 0 &&
          std::string(target).rfind(root.path(), 0) == 0 && std::string(target).find(".lock") != std::string::npos)
        ++lockFiles;
    }
    closedir(d);
  }
  kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_EQ(lockFiles, 0);
}

}  // namespace
}  // namespace qx
