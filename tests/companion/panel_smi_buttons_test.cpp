// The control panel's SMI on and SMI Off buttons (in this test process) with the real companion
// program installed beside it: SMI on starts it from the installation folder, SMI Off sends its
// registered window SMI_CLOSE. The buttons are designed hidden and disabled; the tests make them
// usable, as a build that showed them would.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "host/paths.h"
#include "host/window_bus.h"
#include "tests/companion/companions.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"

namespace qx::test {
namespace {

class PanelSmiButtons : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    ASSERT_EQ(Start(), LoadResult::Ready);
    for (QPushButton* button : {Main().cmdSMIon, Main().cmdSMIoff}) {
      button->setEnabled(true);
      button->show();
    }
    DeviceService::Qxctl("journal --clear");
  }
  void TearDown() override {
    EndCompanions();
    PanelTest::TearDown();
  }
  static void Install() {
    std::filesystem::copy_file(Program("QXWMECvr"), HostPath(std::string(kInstallPath) + "\\QXWMECvr.exe"));
  }
};

TEST_F(PanelSmiButtons, SmiOnStartsTheCompanionAndSmiOffEndsIt) {
  Install();
  QTest::mouseClick(Main().cmdSMIon, Qt::LeftButton);
  const SmiState started = WaitForSmi([](const SmiState& s) { return s.window > 0; });
  ASSERT_GT(started.window, 0);
  EXPECT_TRUE(IsWindowVisible(started.window));  // started in a normal window
  EXPECT_EQ(CompanionWindows(), std::vector<HWND>{started.window});

  DeviceService::Qxctl("journal --clear");
  QTest::mouseClick(Main().cmdSMIoff, Qt::LeftButton);
  // SendMessageA waited until the companion had handled SMI_CLOSE: it deregistered meanwhile.
  EXPECT_EQ(Sent("GetSmiRegistration").size(), 2u);  // the panel's, then the companion's own
  EXPECT_EQ(Sent("SetSmiRegistration"), std::vector<std::string>{"Window=-1 RotationCode=0"});
  EXPECT_EQ(ReadSmi().window, -1);
  EXPECT_TRUE(WaitForProcessEnd(started.window / 256, 10000));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PanelSmiButtons, WithoutTheCompanionNeitherButtonSaysAnything) {
  QTest::mouseClick(Main().cmdSMIon, Qt::LeftButton);   // "QXWMECvr.exe" is not installed
  QTest::mouseClick(Main().cmdSMIoff, Qt::LeftButton);  // nothing registered: nothing sent
  EXPECT_EQ(Sent("GetSmiRegistration").size(), 1u);
  EXPECT_EQ(ReadSmi().window, -1);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(Main().isVisible());
}

}  // namespace
}  // namespace qx::test
