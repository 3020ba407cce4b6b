// HideRbfWindow, ShowRbfWindow, CloseRbfProgram and CloseSmiProgram: the registration read from
// the device service, the message delivered to a real window program.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/driver_link.h"
#include "host/program_state.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"
#include "tests/support/window_program.h"

namespace qx {
namespace {

using test::WindowProgram;

class NotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log = root.path() + "/messages.log";
    ASSERT_TRUE(OpenDriver());
  }
  void TearDown() override { ResetProgramState(); }

  void RegisterRbf(HWND window) {
    RbfRecord = RbfRegistration{window, 0, 0};
    SetRbfRegistration();
  }

  test::TempRoot root;
  test::DeviceService service;
  std::string log;
};

TEST_F(NotificationsTest, RightButtonWindowIsHiddenShownAndClosed) {
  WindowProgram rbf(" C-RBF", {"--log", log});
  RegisterRbf(rbf.main());

  HideRbfWindow();
  EXPECT_FALSE(IsWindowVisible(rbf.main()));  // handled before the call returned
  ShowRbfWindow();
  EXPECT_TRUE(IsWindowVisible(rbf.main()));
  CloseRbfProgram();
  EXPECT_TRUE(rbf.WaitForEnd(5000));
  EXPECT_EQ(test::ReadFile(log), "400 1000 0\n400 1001 0\n400 100e 0\n");
}

TEST_F(NotificationsTest, CompanionIsClosedThroughItsRegistration) {
  WindowProgram smi("Companion", {"--log", log});
  test::DeviceService::Qxctl("smi " + std::to_string(smi.main()) + " 2");
  CloseSmiProgram();
  EXPECT_EQ(SmiRecord.RotationCode, 2);
  EXPECT_TRUE(smi.WaitForEnd(5000));
  EXPECT_EQ(test::ReadFile(log), "400 200e 0\n");
}

TEST_F(NotificationsTest, NothingIsSentWithoutARegistration) {
  WindowProgram other("Unregistered", {"--log", log});
  RegisterRbf(-1);
  HideRbfWindow();
  ShowRbfWindow();
  CloseRbfProgram();
  CloseSmiProgram();  // the companion never registered: -1
  EXPECT_EQ(RbfRecord.Window, -1);
  EXPECT_EQ(SmiRecord.Window, -1);
  EXPECT_TRUE(IsWindowVisible(other.main()));
  EXPECT_EQ(test::ReadFile(log), "");
}

TEST_F(NotificationsTest, ARegistrationLeftByADeadProgramCostsNoWait) {
  HWND gone;
  {
    WindowProgram rbf(" C-RBF");
    gone = rbf.main();
  }
  RegisterRbf(gone);
  auto start = std::chrono::steady_clock::now();
  CloseRbfProgram();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(RbfRecord.Window, gone);
}

}  // namespace
}  // namespace qx
