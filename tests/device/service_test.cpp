// The device service as a real process: what it keeps across restarts and crashes, and how it
// stands up to clients that misbehave.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "core/driver_link.h"
#include "host/device_file.h"
#include "host/machine_root.h"
#include "host/program_state.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TempRoot;

class ServiceTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetProgramState(); }
  TempRoot root;
};

TEST_F(ServiceTest, SettingsSurviveARestart) {
  DeviceService service;
  int rc = -1;
  DeviceService::Qxctl("set SpeedH=3 SoundTone=4321 McuCode=01020304 CalibrationData=9,8,7,6,5,4", &rc);
  ASSERT_EQ(rc, 0);
  DeviceService::Qxctl("controller absent", &rc);
  service.Stop();
  service.Start();
  EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), "3\n");
  EXPECT_EQ(DeviceService::Qxctl("get SoundTone McuCode CalibrationData"),
            "SoundTone=4321\nMcuCode=01020304\nCalibrationData=9,8,7,6,5,4\n");
  DeviceService::Qxctl("summary", &rc);
  EXPECT_EQ(rc, 3) << "the controller stays unplugged across the restart";
}

TEST_F(ServiceTest, AKillInTheMiddleOfAStreamOfSetsLosesNothingAcknowledged) {
  std::mt19937 rng(11);
  DeviceService service;
  for (int round = 0; round < 3; ++round) {
    std::atomic<int> acknowledged{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
      for (int k = 1; !stop; ++k) {
        int rc = -1;
        DeviceService::Qxctl("set SoundTone=" + std::to_string(k) + " SpeedH=" + std::to_string(k % 20 + 1), &rc);
        if (rc != 0) break;  // the service is gone
        acknowledged = k;
      }
    });
    // The kill comes in the middle of the stream, once it flows, however slow the machine is.
    ASSERT_TRUE(test::WaitUntil([&] { return acknowledged > 0; }, 30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 300));
    service.Stop(SIGKILL);
    stop = true;
    writer.join();
    int last = acknowledged;
    ASSERT_GT(last, 0);

    service.Start();
    int tone = std::stoi(DeviceService::Qxctl("get SoundTone"));
    int speed = std::stoi(DeviceService::Qxctl("get SpeedH"));
    // The last acknowledged write is kept; the one in flight may have landed too. Never a mix.
    EXPECT_TRUE(tone == last || tone == last + 1) << "tone " << tone << " last " << last;
    EXPECT_EQ(speed, tone % 20 + 1);
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/device/settings.bin.damaged"));
  }
}

// A folder where the state file's new copy is written makes every write fail, even for root.
TEST_F(ServiceTest, ASetWhoseSettingsCannotBeKeptIsAnsweredAsFailed) {
  DeviceService service;
  int rc = -1;
  DeviceService::Qxctl("set SpeedH=6", &rc);  // answered once written: the service writes nothing now
  const std::string blocker = root.path() + "/device/settings.bin.new";
  ASSERT_TRUE(std::filesystem::create_directory(blocker));
  DeviceService::Qxctl("set SpeedH=7", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(DeviceService::Qxctl("journal").find("StateNotSaved path=" + root.path() + "/device/settings.bin"),
            std::string::npos);
  std::filesystem::remove(blocker);
  DeviceService::Qxctl("set SpeedH=8", &rc);
  EXPECT_EQ(rc, 0);
  service.Stop(SIGKILL);
  service.Start();
  EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), "8\n");
}

TEST_F(ServiceTest, GarbageFromOneClientDoesNotDisturbTheOthers) {
  DeviceService service;
  std::atomic<bool> stop{false};
  std::thread noisy([&] {
    std::mt19937 rng(5);
    while (!stop) {
      int fd = DeviceService::ConnectRaw();
      if (fd < 0) continue;
      for (int i = 0; i < 50 && !stop; ++i) {
        std::uint8_t junk[256];
        std::size_t n = 1 + rng() % sizeof junk;
        for (std::size_t k = 0; k < n; ++k) junk[k] = static_cast<std::uint8_t>(rng());
        if (send(fd, junk, n, MSG_NOSIGNAL | MSG_DONTWAIT) < 0) break;
        std::uint8_t sink[4096];
        while (recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
      }
      close(fd);
    }
  });
  // A client that stops mid-frame, and one that vanishes mid-frame.
  int stalled = DeviceService::ConnectRaw();
  std::uint8_t half[10] = {0x10, 0x20, 0x0F, 0, 82, 0, 0, 0, 1, 2};
  send(stalled, half, sizeof half, MSG_NOSIGNAL);
  int vanishing = DeviceService::ConnectRaw();
  send(vanishing, half, sizeof half, MSG_NOSIGNAL);
  close(vanishing);

  ASSERT_TRUE(OpenDriver());
  for (int i = 0; i < 300; ++i) {
    Settings = SettingsBlock{};
    GetSettings();
    ASSERT_TRUE(LastRequestResult) << "request " << i;
    ASSERT_EQ(Settings.ActivePort, 1);
  }
  stop = true;
  noisy.join();
  close(stalled);
  int rc = -1;
  DeviceService::Qxctl("get ActivePort", &rc);
  EXPECT_EQ(rc, 0) << "still serving";
}

TEST_F(ServiceTest, AnOversizedHeaderClosesThatConnectionOnly) {
  DeviceService service;
  int fd = DeviceService::ConnectRaw();
  std::uint8_t header[8] = {0x10, 0x20, 0x0F, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  ASSERT_EQ(send(fd, header, sizeof header, MSG_NOSIGNAL), 8);
  std::uint8_t byte;
  timeval tv{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  EXPECT_EQ(recv(fd, &byte, 1, 0), 0) << "the service hangs up";
  close(fd);
  EXPECT_TRUE(OpenDriver());
  GetSettings();
  EXPECT_TRUE(LastRequestResult);
}

TEST_F(ServiceTest, ManyClientsAtOnce) {
  DeviceService service;
  std::vector<std::thread> clients;
  std::atomic<int> failures{0};
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      HANDLE h = CreateFileA("\\\\.\\QXWMECOM", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0x80, 0);
      if (h == INVALID_HANDLE_VALUE) {
        ++failures;
        return;
      }
      for (int i = 0; i < 200; ++i) {
        SimTouch t{static_cast<std::int16_t>(c), static_cast<std::int16_t>(i), 1, 0, 1};
        TouchSample s{};
        DWORD n = 0;
        if (!DeviceIoControl(h, IOCTL_SIM_TOUCH, &t, sizeof t, &s, sizeof s, &n, nullptr) || n != sizeof s) ++failures;
      }
      CloseHandle(h);
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(failures, 0);
  ASSERT_TRUE(OpenDriver());
  GetTouchSample();
  EXPECT_EQ(Touch.Counter, 1600);
}

TEST_F(ServiceTest, OneServicePerRoot) {
  DeviceService service;
  auto second = test::Run({test::Program("qxwmecomd"), "--root", root.path()}, {}, 5000);
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("another device service"), std::string::npos) << second.err;
  int rc = -1;
  DeviceService::Qxctl("get ActivePort", &rc);
  EXPECT_EQ(rc, 0);
}

// A root or run/ that other users may write, where they could put a socket of their own in place of
// the service's, is refused at start, naming it.
TEST_F(ServiceTest, ARootOrRunFolderOthersCanWriteIsRefused) {
  std::filesystem::create_directory(root.path() + "/run");
  for (const std::string& folder : {root.path() + "/run", root.path()}) {
    ::chmod(folder.c_str(), 0777);
    auto refused = test::Run({test::Program("qxwmecomd"), "--root", root.path()}, {}, 5000);
    ::chmod(folder.c_str(), 0700);
    EXPECT_EQ(refused.exitCode, 1) << folder;
    EXPECT_NE(refused.err.find(folder + " can be written by other users"), std::string::npos) << refused.err;
  }
}

// The right-button program's wait: answered at once while nothing is armed, held while the flag is
// armed (for the hold bound at the most, so the program's events run between two answers), and
// answered with the flag clear once a touch has taken it.
TEST_F(ServiceTest, TheRightButtonsWaitIsHeldWhileArmedAndEndsWithTheTouch) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  RbfRecord = {77, 0, 0};
  SetRbfRegistration();
  WaitRbfDisarmed();
  EXPECT_TRUE(LastRequestResult);
  EXPECT_EQ(RbfRecord.Armed, 0);

  RbfRecord = {77, 1, 0};
  SetRbfRegistration();
  const auto start = std::chrono::steady_clock::now();
  WaitRbfDisarmed();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kRbfWaitHoldMs));
  EXPECT_TRUE(LastRequestResult);
  EXPECT_EQ(RbfRecord.Armed, 1);
  EXPECT_EQ(RbfRecord.Window, 77);

  std::thread touch([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    DeviceService::Qxctl("touch 300 400");
  });
  int answers = 0;
  do {
    WaitRbfDisarmed();
    ++answers;
  } while (LastRequestResult && RbfRecord.Armed == 1 && answers < 1000);
  touch.join();
  EXPECT_TRUE(LastRequestResult);
  EXPECT_EQ(RbfRecord.Armed, 0);
  // Fewer answers than a poll would need: each was held.
  EXPECT_LT(answers, 100);
  const std::string journal = DeviceService::Qxctl("journal");
  EXPECT_LT(journal.find("RightButtonAction"), journal.rfind("WaitRbfDisarmed")) << journal;
}

}  // namespace
}  // namespace qx
