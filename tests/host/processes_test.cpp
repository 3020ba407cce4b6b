// WinExec, StartProcess, OpenProcess, WaitForSingleObject and CloseHandle with real programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "host/device_file.h"
#include "host/paths.h"
#include "host/process_handles.h"
#include "host/process_start.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

class ProcessesTest : public ::testing::Test {
 protected:
  // A program at the Windows path PATH: a shell script with BODY.
  void Install(const std::string& path, const std::string& body, mode_t mode = 0755) {
    std::string file = HostPath(path);
    test::WriteFile(file, "#!/bin/sh\n" + body + "\n");
    chmod(file.c_str(), mode);
  }

  // Waits up to 5 s for FILE to hold a whole line, and returns it.
  static std::string WaitForLine(const std::string& file) {
    const std::string text = test::ReadUntil(file, test::HasWholeLine, 5000);
    return text.substr(0, text.find('\n'));
  }

  test::TempRoot root;
};

TEST_F(ProcessesTest, WinExecStartsTheProgramWithItsArgumentsAndShowState) {
  const std::string out = root.path() + "/out.txt";
  Install("C:\\Program Files\\QX\\Report.exe", "echo \"$QX_SHOWCMD|$#|$1|$2\" > " + out);
  setenv("QX_SHOWCMD", "9", 1);  // the starter's own show state does not leak through
  EXPECT_EQ(WinExec("C:\\Program Files\\QX\\Report.exe /SDC \"two words\"", SW_HIDE), 33u);
  EXPECT_EQ(WaitForLine(out), "0|2|/SDC|two words");
  unsetenv("QX_SHOWCMD");

  std::remove(out.c_str());
  EXPECT_EQ(WinExec("\"C:\\Program Files\\QX\\report.exe\"", SW_SHOWNORMAL), 33u);
  EXPECT_EQ(WaitForLine(out), "1|0||");
}

TEST_F(ProcessesTest, AStartedProgramsOutputGoesToTheProcessLogOnly) {
  const std::string log = root.path() + "/programs.log";
  Install("C:\\QX\\Talker.exe", "echo said; echo complained >&2");
  setenv("QX_PROCESS_LOG", log.c_str(), 1);
  EXPECT_EQ(WinExec("C:\\QX\\Talker.exe", SW_HIDE), 33u);
  unsetenv("QX_PROCESS_LOG");
  EXPECT_EQ(test::ReadUntil(
                log, [](const std::string& text) { return text == "said\ncomplained\n"; }, 5000),
            "said\ncomplained\n");
}

TEST_F(ProcessesTest, WinExecReportsWhyAProgramCannotStart) {
  Install("C:\\QX\\Ready.exe", "exit 0");
  EXPECT_EQ(WinExec("C:\\QX\\Missing.exe", SW_HIDE), 2u);
  EXPECT_EQ(WinExec("C:\\NoFolder\\Ready.exe /SDC", SW_HIDE), 3u);
  Install("C:\\QX\\NotRunnable.exe", "exit 0", 0644);
  EXPECT_EQ(WinExec("C:\\QX\\NotRunnable.exe", SW_HIDE), 11u);
  test::WriteFile(HostPath("C:\\QX\\Garbage.exe"), "MZ\x90\x00 not a program");
  chmod(HostPath("C:\\QX\\Garbage.exe").c_str(), 0755);
  EXPECT_EQ(WinExec("C:\\QX\\Garbage.exe", SW_HIDE), 11u);
  EXPECT_EQ(WinExec("C:\\QX", SW_HIDE), 11u);
  EXPECT_EQ(WinExec("", SW_HIDE), 2u);
  EXPECT_EQ(WinExec(nullptr, SW_HIDE), 2u);
}

// Field N (1-based) of /proc/PID/stat.
long StatField(pid_t pid, int n) {
  std::string stat = test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= n; ++i) fields >> field;
  return std::stol(field);
}

TEST_F(ProcessesTest, AStartedProgramIsDetachedAndCanBeWaitedFor) {
  Install("C:\\QX\\Sleeper.exe", "exec sleep 30");
  DWORD pid = 0;
  ASSERT_EQ(StartProcess("C:\\QX\\Sleeper.exe", SW_SHOWNORMAL, &pid), 33u);
  ASSERT_GT(pid, 0u);
  pid_t child = static_cast<pid_t>(pid);
  EXPECT_NE(StatField(child, 4), getpid());   // not our child: never our zombie
  EXPECT_NE(StatField(child, 6), getsid(0));  // a session of its own: our end is not its end

  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(process, 0);
  EXPECT_EQ(WaitForSingleObject(process, 50), WAIT_TIMEOUT);
  kill(child, SIGKILL);
  EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
  EXPECT_EQ(CloseHandle(process), TRUE);
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_FAILED);
  EXPECT_EQ(CloseHandle(process), FALSE);
}

TEST_F(ProcessesTest, AStartedProgramThatEndedAtOnceCanStillBeOpenedAndWaitedFor) {
  // It ends, and is reaped by whoever adopted it, before its starter asks for it: the starter
  // still gets a handle, already signalled, as the handle of a process it started.
  Install("C:\\QX\\Quick.exe", "exit 0");
  DWORD pid = 0;
  ASSERT_EQ(StartProcess("C:\\QX\\Quick.exe", SW_SHOWNORMAL, &pid), 33u);
  test::WaitUntil([pid] { return kill(static_cast<pid_t>(pid), 0) != 0; }, 20000, 5);
  ASSERT_NE(kill(static_cast<pid_t>(pid), 0), 0);  // gone altogether
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(process, 0);
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
  EXPECT_EQ(CloseHandle(process), TRUE);
  // Opened again, from the same start.
  process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  EXPECT_NE(process, 0);
  CloseHandle(process);
}

TEST_F(ProcessesTest, OpenProcessNeedsSynchronizeAndALiveProcess) {
  EXPECT_EQ(OpenProcess(0, FALSE, static_cast<DWORD>(getpid())), 0);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0), 0);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0x7FFFFFF0u), 0);
  HANDLE self = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(getpid()));
  ASSERT_NE(self, 0);
  EXPECT_EQ(WaitForSingleObject(self, 0), WAIT_TIMEOUT);
  CloseHandle(self);
  EXPECT_EQ(WaitForSingleObject(12345, 0), WAIT_FAILED);
}

TEST_F(ProcessesTest, OneCloseHandleForDevicesAndProcessesEachKeptToItsKind) {
  test::DeviceService service;
  HANDLE device = CreateFileA("\\\\.\\QXWMECOM", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(getpid()));
  ASSERT_NE(process, 0);
  const DWORD kGetSettings = 0xF2010;
  unsigned char block[82] = {};
  DWORD returned = 0;
  EXPECT_EQ(DeviceIoControl(process, kGetSettings, block, sizeof block, block, sizeof block, &returned, nullptr),
            FALSE);
  EXPECT_EQ(WaitForSingleObject(device, 0), WAIT_FAILED);
  EXPECT_EQ(DeviceIoControl(device, kGetSettings, block, sizeof block, block, sizeof block, &returned, nullptr), TRUE);
  EXPECT_EQ(CloseHandle(process), TRUE);
  EXPECT_EQ(CloseHandle(device), TRUE);
  EXPECT_EQ(CloseHandle(device), FALSE);
}

// The descriptors this process has open.
std::set<int> OpenDescriptors() {
  std::set<int> listed;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    listed.insert(std::stoi(entry.path().filename().string()));
  std::set<int> open;  // without the listing's own descriptor, closed by now
  for (int fd : listed)
    if (fcntl(fd, F_GETFD) != -1) open.insert(fd);
  return open;
}

// The descriptor limit under which exactly FREE more descriptors can be opened: the first free
// descriptor past FREE free ones.
rlim_t LimitLeaving(int free) {
  for (int fd = 0;; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    if (free-- == 0) return static_cast<rlim_t>(fd);
  }
}

// The soft descriptor limit lowered for the life of the object.
class LoweredDescriptorLimit {
 public:
  explicit LoweredDescriptorLimit(rlim_t limit) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~LoweredDescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// A start opens two descriptors before it makes the program's process, /dev/null for the
// program's input and its output, and the kernel makes a third with it, the program's pidfd.
// Whichever of them cannot be had, the start fails as out of resources and gives back every one
// it took.
TEST_F(ProcessesTest, AStartOutOfDescriptorsFailsAndLeavesNoneOpen) {
  const struct {
    int free;
    const char* missing;
  } cases[] = {
      {0, "the program's input"},
      {1, "the program's output"},
      {2, "the program's pidfd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.missing);
    const std::set<int> before = OpenDescriptors();
    DWORD pid = 99;
    UINT result;
    {
      LoweredDescriptorLimit limit(LimitLeaving(c.free));
      result = StartHostProgram({"/bin/true"}, SW_HIDE, &pid);
    }
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(pid, 0u);
    EXPECT_EQ(OpenDescriptors(), before);
  }
  // With the limit back, the same start runs.
  DWORD pid = 0;
  EXPECT_EQ(StartHostProgram({"/bin/true"}, SW_HIDE, &pid), EXEC_STARTED);
  EXPECT_GT(pid, 0u);
}

}  // namespace
}  // namespace qx
