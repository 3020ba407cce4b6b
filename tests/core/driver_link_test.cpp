// The driver link against a real device service in a temporary root.
#include "core/driver_link.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "host/device_file.h"
#include "host/last_error.h"
#include "host/machine_root.h"
#include "host/program_state.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TempRoot;
using Clock = std::chrono::steady_clock;

// A device socket that accepts and never answers; its listening descriptor.
int ListenWithoutAnswering() {
  std::string path = RunDir() + "/QXWMECOM";
  int server = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  EXPECT_EQ(bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_EQ(listen(server, 4), 0);
  return server;
}

class DriverLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }
  void TearDown() override { ResetProgramState(); }
  TempRoot root;
};

TEST_F(DriverLinkTest, NoServiceMeansOpenFailsAndRequestsLeaveBuffersAlone) {
  EXPECT_FALSE(OpenDriver());
  EXPECT_EQ(DriverHandle, INVALID_HANDLE_VALUE);
  Settings.SpeedH = 42;
  GetSettings();
  EXPECT_FALSE(LastRequestResult);
  EXPECT_EQ(Settings.SpeedH, 42);
}

TEST_F(DriverLinkTest, GetSettingsFillsTheBlockAndSetsTakeOnlyTheirFields) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  GetSettings();
  EXPECT_TRUE(LastRequestResult);
  EXPECT_EQ(ReturnedBytes, sizeof(SettingsBlock));
  EXPECT_EQ(Settings.ActivePort, 1);

  // Change a mouse-speed field and a field of another feature; only the first is taken.
  Settings.SpeedH = 3;
  Settings.SoundMode = 1;
  SetMouseSpeed();
  EXPECT_EQ(Settings.SpeedH, 3);
  EXPECT_EQ(Settings.SoundMode, 4) << "the reply is the device's whole state";
  SettingsBlock fresh{};
  std::swap(fresh, Settings);
  GetSettings();
  EXPECT_EQ(Settings.SpeedH, 3);
  EXPECT_EQ(Settings.SoundMode, 4);
}

TEST_F(DriverLinkTest, ResettingTheProgramStateClosesTheDriverAndClearsItsBuffers) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  GetSettings();
  ASSERT_EQ(Settings.ActivePort, 1);
  const HANDLE open = DriverHandle;
  ResetProgramState();
  EXPECT_EQ(DriverHandle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Settings.ActivePort, 0);
  EXPECT_EQ(LastRequestResult, 0);
  DWORD returned = 0;
  SettingsBlock block{};
  EXPECT_FALSE(DeviceIoControl(open, IOCTL_GET_SETTINGS, &block, sizeof block, &block, sizeof block, &returned,
                               nullptr));  // the old handle was closed, not dropped
}

TEST_F(DriverLinkTest, SetCalibrationStateStoresItsValueInTheBufferFirst) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  SetCalibrationState(3);
  unsigned char expected[4] = {3, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&CalibrationState, expected, 4), 0);
  SetCalibrationState(-1);
  EXPECT_EQ(CalibrationState, -1);
  std::string journal = DeviceService::Qxctl("journal");
  EXPECT_NE(journal.find("SetCalibrationState State=3"), std::string::npos) << journal;
}

TEST_F(DriverLinkTest, ADeadServiceFailsTheRequestPromptlyAndLeavesTheBuffer) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  GetSettings();
  SettingsBlock before = Settings;
  service.Stop(SIGKILL);
  auto start = Clock::now();
  GetSettings();
  EXPECT_FALSE(LastRequestResult);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(std::memcmp(&before, &Settings, sizeof before), 0);
}

TEST_F(DriverLinkTest, AStuckServiceFailsTheRequestWithinTheBound) {
  int server = ListenWithoutAnswering();
  setenv("QX_DEVICE_TIMEOUT_MS", "300", 1);
  ASSERT_TRUE(OpenDriver());
  Settings.SpeedV = 17;
  auto start = Clock::now();
  GetSettings();
  auto took = Clock::now() - start;
  unsetenv("QX_DEVICE_TIMEOUT_MS");
  EXPECT_FALSE(LastRequestResult);
  EXPECT_GE(took, std::chrono::milliseconds(250));
  EXPECT_LT(took, std::chrono::seconds(3));
  EXPECT_EQ(Settings.SpeedV, 17);
  // The stream lost its framing: later requests fail at once rather than read a stale reply.
  start = Clock::now();
  GetSettings();
  EXPECT_FALSE(LastRequestResult);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
  close(server);
}

// The bound is read as the handle opens, and holds for its requests whatever comes after.
TEST_F(DriverLinkTest, AHandleKeepsTheBoundItWasOpenedWith) {
  int server = ListenWithoutAnswering();
  setenv("QX_DEVICE_TIMEOUT_MS", "300", 1);
  ASSERT_TRUE(OpenDriver());
  unsetenv("QX_DEVICE_TIMEOUT_MS");
  auto start = Clock::now();
  GetSettings();
  EXPECT_FALSE(LastRequestResult);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  close(server);
}

// A request on a handle just closed fails, however recently the same handle served one; the
// number, handed out again by the next open, serves the new handle.
TEST_F(DriverLinkTest, AClosedHandleFailsAtOnceAndItsNumberServesTheNextOpen) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  const HANDLE first = DriverHandle;
  GetSettings();
  ASSERT_TRUE(LastRequestResult);
  CloseDriver();
  GetSettings();
  EXPECT_FALSE(LastRequestResult);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  ASSERT_TRUE(OpenDriver());
  EXPECT_EQ(DriverHandle, first) << "the lowest free descriptor again";
  GetSettings();
  EXPECT_TRUE(LastRequestResult);
}

TEST_F(DriverLinkTest, RegistrationsStartEmpty) {
  DeviceService service;
  ASSERT_TRUE(OpenDriver());
  GetRbfRegistration();
  EXPECT_EQ(RbfRecord.Window, -1);
  EXPECT_EQ(RbfRecord.Armed, 0);
  GetSmiRegistration();
  EXPECT_EQ(SmiRecord.Window, -1);
  RbfRecord = {4242, 1, 0};
  SetRbfRegistration();
  RbfRecord = {};
  GetRbfRegistration();
  EXPECT_EQ(RbfRecord.Window, 4242);
  EXPECT_EQ(RbfRecord.Armed, 1);
}

TEST(DeviceFile, OnlyDeviceNamesOpenAndUnknownHandlesDoNotClose) {
  TempRoot root;
  EXPECT_EQ(CreateFileA("C:\\WINDOWS\\win.ini", 0, 0, nullptr, 3, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("\\\\.\\", 0, 0, nullptr, 3, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("\\\\.\\..\\x", 0, 0, nullptr, 3, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(nullptr, 0, 0, nullptr, 3, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CloseHandle(0));
  EXPECT_FALSE(CloseHandle(-1));
  EXPECT_FALSE(CloseHandle(987654));
}

}  // namespace
}  // namespace qx
