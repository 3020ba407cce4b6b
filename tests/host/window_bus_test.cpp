// The window bus between real processes: messages, enumeration, stale sockets, bad peers.
#include "host/window_bus.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/device_frame.h"
#include "host/window_bus_wire.h"
#include "tests/support/temp_root.h"
#include "tests/support/window_program.h"

namespace qx {
namespace {

using test::WindowProgram;
using Clock = std::chrono::steady_clock;

constexpr UINT kCompute = 0x401, kSleep = 0x404, kRelay = 0x405, kAskBack = 0x406;

// A process id that was in use and is now free.
pid_t DeadPid() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

// Leaves a socket file at PATH with nobody listening on it, as a killed program leaves it.
void LeaveSocketFile(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  close(fd);
}

// One raw request to PID's socket; the reply's success flag, or -1 when nothing came back.
int RawRequest(pid_t pid, const std::vector<std::uint8_t>& bytes) {
  std::string path = bus::SocketPath(pid);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return close(fd), -1;
  auto deadline = Clock::now() + std::chrono::seconds(2);
  std::uint8_t header[8];
  bool ok = frame::SendAll(fd, bytes.data(), bytes.size(), deadline) &&
            frame::ReceiveAll(fd, header, sizeof header, deadline);
  close(fd);
  return ok ? static_cast<int>(frame::GetU32(header)) : -1;
}

long MillisecondsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class WindowBusTest : public ::testing::Test {
 protected:
  test::TempRoot root;
};

TEST_F(WindowBusTest, MessageRunsOnTheReceiversUiThreadAndItsResultComesBack) {
  WindowProgram a("Bus A");
  EXPECT_EQ(bus::OwnerOf(a.main()), a.pid());
  EXPECT_EQ(SendMessageA(a.main(), kCompute, 5, 2), 17);
  EXPECT_EQ(SendMessageA(a.main(), kCompute, 0, -4), -4);
  // A window that sends to itself runs its own procedure directly.
  EXPECT_EQ(SendMessageA(a.main(), kAskBack, 4, a.main()), 13);
}

TEST_F(WindowBusTest, ProgramsThatSendToEachOtherDoNotWaitOnEachOther) {
  WindowProgram a("Bus A"), b("Bus B", {"--program", "Other"});
  // A sends to B, whose procedure sends back to A while A still waits for B.
  EXPECT_EQ(SendMessageA(a.main(), kRelay, 5, b.main()), 16);
}

TEST_F(WindowBusTest, HandleOfADeadProcessFailsAtOnce) {
  WindowProgram a("Bus A");
  HWND h = a.main();
  a.Kill(SIGKILL);
  auto start = Clock::now();
  EXPECT_EQ(SendMessageA(h, kCompute, 5, 2), 0);
  EXPECT_LT(MillisecondsSince(start), 100);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(std::filesystem::exists(bus::SocketPath(bus::OwnerOf(h))));
  // Handles that cannot be windows at all.
  EXPECT_EQ(SendMessageA(0, kCompute, 1, 1), 0);
  EXPECT_EQ(SendMessageA(-1, kCompute, 1, 1), 0);
  EXPECT_EQ(SendMessageA(a.main() - a.main() % 256, kCompute, 1, 1), 0);
}

TEST_F(WindowBusTest, AProcedureThatTakesTooLongGivesZeroAfterTheBound) {
  WindowProgram a("Bus A");
  setenv("QX_WINDOW_TIMEOUT_MS", "300", 1);
  auto start = Clock::now();
  LRESULT result = SendMessageA(a.main(), kSleep, 1500, 0);
  long took = MillisecondsSince(start);
  unsetenv("QX_WINDOW_TIMEOUT_MS");
  EXPECT_EQ(result, 0);
  EXPECT_GE(took, 250);
  EXPECT_LT(took, 1200);
}

TEST_F(WindowBusTest, StaleSocketsAreRemovedAndNotListed) {
  WindowProgram a("Bus A");
  std::string stale = bus::SocketPath(DeadPid());
  LeaveSocketFile(stale);
  // A socket under a live process id that nobody serves: not listed, and left alone.
  std::string unserved = bus::SocketPath(getpid());
  LeaveSocketFile(unserved);

  std::vector<HWND> listed;
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) listed.push_back(h);
  EXPECT_EQ(listed, std::vector<HWND>{a.main()});
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(unserved));
}

TEST_F(WindowBusTest, ListsTheWindowsOfEveryProcessVisibleOnesFirst) {
  WindowProgram a("Bus A", {"--extra", "Bus A extra"}), b("Bus B", {"--program", "Other"});
  SendMessageA(a.main(), 0x400, 0x1000, 0);  // hide A's main window
  std::vector<HWND> listed;
  for (HWND h = FindWindowA(nullptr, nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) listed.push_back(h);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed.back(), a.main());
  EXPECT_FALSE(IsWindowVisible(a.main()));
  EXPECT_TRUE(IsWindowVisible(b.main()));
  EXPECT_EQ(FindWindowA(nullptr, "Bus A extra"), a.Window("Bus A extra"));
  EXPECT_EQ(FindWindowA(nullptr, "Bus"), 0);
  EXPECT_EQ(GetWindow(listed[1], GW_HWNDPREV), listed[0]);
  EXPECT_EQ(GetWindow(0, GW_HWNDFIRST), listed[0]);
  EXPECT_EQ(GetWindow(0, GW_HWNDLAST), a.main());
}

TEST_F(WindowBusTest, WindowTextCopiesAtMostOneLessThanTheBuffer) {
  WindowProgram a("Bus caption");
  char text[8] = "xxxxxxx";
  EXPECT_EQ(GetWindowTextA(a.main(), text, 5), 4);
  EXPECT_STREQ(text, "Bus ");
  EXPECT_EQ(GetWindowTextA(a.main(), text, 1), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(GetWindowTextA(a.main(), text, 0), 0);
  EXPECT_EQ(GetWindowTextLengthA(a.main()), 11);
  EXPECT_EQ(GetWindowTextA(a.main() + 1, text, 8), 0);  // no such window
}

TEST_F(WindowBusTest, WindowsWithoutAProcedureCloseOnWmClose) {
  WindowProgram a("Bus A", {"--extra", "Bus A extra"});
  HWND extra = a.Window("Bus A extra");
  ASSERT_TRUE(IsWindowVisible(extra));
  EXPECT_EQ(SendMessageA(extra, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindowVisible(extra));
  EXPECT_TRUE(IsWindowVisible(a.main()));
}

// Peers that connect and say nothing, or only part of a request, are waited for off the UI
// thread: a message to the same program goes through at once, and they are dropped after the bound.
TEST_F(WindowBusTest, SilentPeersCostTheUiThreadNothing) {
  WindowProgram a("Bus A");
  std::string path = bus::SocketPath(a.pid());
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  std::vector<int> silent;
  for (int i = 0; i < 60; ++i) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    if (i % 2) send(fd, "\x02\0\0\0\x18", 5, MSG_NOSIGNAL);  // a header cut short
    silent.push_back(fd);
  }
  auto start = Clock::now();
  EXPECT_EQ(SendMessageA(a.main(), kCompute, 5, 2), 17);
  EXPECT_EQ(FindWindowA(nullptr, "Bus A"), a.main());
  EXPECT_LT(MillisecondsSince(start), 200);

  // Each silent peer is dropped once the bound has passed.
  for (int fd : silent) {
    timeval tv{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    char byte;
    EXPECT_EQ(recv(fd, &byte, 1, 0), 0);
    close(fd);
  }
  EXPECT_LT(MillisecondsSince(start), 1500);
}

TEST_F(WindowBusTest, MalformedRequestsAreRefusedAndTheProgramGoesOn) {
  WindowProgram a("Bus A");
  EXPECT_EQ(RawRequest(a.pid(), frame::Encode(99, nullptr, 0)), 0);  // unknown request
  std::uint8_t shortSend[3] = {1, 2, 3};
  EXPECT_EQ(RawRequest(a.pid(), frame::Encode(bus::kSend, shortSend, 3)), 0);  // payload too short
  EXPECT_EQ(RawRequest(a.pid(), frame::Encode(bus::kList, shortSend, 3)), 0);  // list takes nothing
  std::vector<std::uint8_t> huge(8);
  frame::PutU32(huge.data(), bus::kSend);
  frame::PutU32(huge.data() + 4, 1u << 30);  // announces 1 GiB
  EXPECT_EQ(RawRequest(a.pid(), huge), -1);
  EXPECT_EQ(SendMessageA(a.main(), kCompute, 1, 0), 3);
}

}  // namespace
}  // namespace qx
