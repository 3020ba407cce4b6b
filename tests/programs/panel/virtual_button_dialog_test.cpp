// frmVirtualButton opened from the main window against a real device service: what it greys,
// what counts as a change, and Apply: SetTouchMode with the six fields, then the real
// right-button program started (hidden) or closed.
#include "programs/panel/virtual_button_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "core/driver_link.h"
#include "host/paths.h"
#include "host/window_bus.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/process.h"
#include "tests/support/right_button_programs.h"

namespace qx::test {
namespace {

class VirtualButton : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    std::filesystem::copy_file(Program("QXWMECrb"), HostPath(std::string(kInstallPath) + "\\QXWMECrb.exe"));
    setenv("QX_MESSAGE_LOG", (root.path() + "/boxes.log").c_str(), 1);  // the right-button program's boxes
  }
  void TearDown() override {
    EndRightButtonPrograms();
    EXPECT_EQ(ReadFile(root.path() + "/boxes.log"), "");
    unsetenv("QX_MESSAGE_LOG");
    PanelTest::TearDown();
  }

  // Starts the panel with these device fields and opens the dialog with its button.
  VirtualButtonDialog& Open(const std::string& fields) {
    DeviceService::Qxctl("set " + fields);
    EXPECT_EQ(Start(), LoadResult::Ready);
    QTest::mouseClick(Main().cmdVirtualButton, Qt::LeftButton);
    DeviceService::Qxctl("journal --clear");
    return *Main().frmVirtualButton;
  }
  static void Choose(OptionGroup* group, int index) { QTest::mouseClick(group->Button(index), Qt::LeftButton); }
  static void Apply(VirtualButtonDialog& d) {
    ASSERT_TRUE(d.cmdApply->isEnabled());
    QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  }
  // Enabled states of the automatic-mode list and of the eight timing controls, as "list/timing".
  static std::string Greying(const VirtualButtonDialog& d) {
    const QWidget* timing[] = {d.lblRBAutoSTime, d.cboRBAutoSTime,    d.lblRBAutoSTimeSec, d.lblRBAutoETime,
                               d.cboRBAutoETime, d.lblRBAutoETimeSec, d.lblRBAutoBeep,     d.cboRBAutoBeep};
    std::string states;
    for (const QWidget* c : timing) states += c->isEnabled() ? '1' : '0';
    return std::string(d.cboRBAutoMode->isEnabled() ? "1/" : "0/") + states;
  }
};

TEST_F(VirtualButton, OpensWithTheBlocksSixFields) {
  VirtualButtonDialog& d = Open("TouchMode=4 RbfEnable=1 RbfAutoMode=1 RbfAutoSTime=2 RbfAutoETime=9 RbfAutoBeep=0");
  EXPECT_EQ(d.optVirtualButton->Button(1)->text(), " Stream Mode");
  EXPECT_EQ(d.optVirtualButton->Button(4)->text(), " Drag Drop Mode");
  EXPECT_TRUE(d.optVirtualButton->Button(4)->isChecked());
  EXPECT_TRUE(d.optRBFunction->Button(1)->isChecked());
  EXPECT_EQ(d.cboRBAutoMode->currentText(), " Automatic Mode");
  QStringList times;
  for (int i = 0; i < d.cboRBAutoSTime->count(); ++i) times << d.cboRBAutoSTime->itemText(i);
  EXPECT_EQ(times.join(' '), "0.5 1 1.5 2 2.5 3 3.5 4 4.5 5");
  EXPECT_EQ(d.cboRBAutoSTime->currentText(), "1.5");
  EXPECT_EQ(d.cboRBAutoETime->currentText(), "5");
  EXPECT_EQ(d.cboRBAutoBeep->currentText(), "Off");
  EXPECT_EQ(Greying(d), "1/11111111");
  EXPECT_FALSE(d.cmdApply->isEnabled());
}

TEST_F(VirtualButton, TheAutomaticControlsAreInForceOnlyInDragDropModeWithTheFunctionOn) {
  VirtualButtonDialog& d = Open("TouchMode=1 RbfEnable=1 RbfAutoMode=1");
  EXPECT_EQ(Greying(d), "0/00000000");  // Stream Mode: all greyed, whatever the function says
  EXPECT_TRUE(d.optRBFunction->Button(0)->isEnabled());
  Choose(d.optRBFunction, 0);
  Choose(d.optVirtualButton, 4);
  EXPECT_EQ(Greying(d), "0/00000000");  // Drag Drop Mode, function off
  Choose(d.optRBFunction, 1);
  d.cboRBAutoMode->setCurrentIndex(0);
  EXPECT_EQ(Greying(d), "1/00000000");  // on, manual
  d.cboRBAutoMode->setCurrentIndex(1);
  EXPECT_EQ(Greying(d), "1/11111111");  // on, automatic
  Choose(d.optVirtualButton, 3);
  EXPECT_EQ(Greying(d), "0/00000000");
}

TEST_F(VirtualButton, OnlyChangesThatAreInForceEnableApply) {
  VirtualButtonDialog& d = Open("TouchMode=4 RbfEnable=1 RbfAutoMode=1 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1");
  d.cboRBAutoSTime->setCurrentIndex(3);  // 1.5 -> 2 s
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.cboRBAutoSTime->setCurrentIndex(2);
  EXPECT_FALSE(d.cmdApply->isEnabled());

  // Typed text is no choice: the pending time stays, Enter or not.
  d.cboRBAutoETime->setFocus();
  d.cboRBAutoETime->lineEdit()->selectAll();
  QTest::keyClicks(d.cboRBAutoETime->lineEdit(), "4.5");
  QTest::keyClick(d.cboRBAutoETime->lineEdit(), Qt::Key_Return);
  d.cboRBAutoBeep->setFocus();
  EXPECT_EQ(d.cboRBAutoETime->currentText(), "2");  // the pending choice shows again
  EXPECT_FALSE(d.cmdApply->isEnabled());

  Choose(d.optVirtualButton, 4);  // the option already chosen
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.cboRBAutoMode->setCurrentIndex(0);  // manual: the times and the beep no longer count
  d.cboRBAutoBeep->setCurrentIndex(0);
  EXPECT_TRUE(d.cmdApply->isEnabled());
  Choose(d.optRBFunction, 0);  // off: the automatic mode no longer counts either
  Choose(d.optRBFunction, 1);
  d.cboRBAutoMode->setCurrentIndex(1);
  EXPECT_TRUE(d.cmdApply->isEnabled());  // the beep counts again
}

TEST_F(VirtualButton, FieldsOutOfRangeOpenWithoutAChoiceAndApplyWritesThemBack) {
  VirtualButtonDialog& d =
      Open("TouchMode=9 RbfEnable=7 RbfAutoMode=200 RbfAutoSTime=10 RbfAutoETime=255 RbfAutoBeep=2");
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(d.optVirtualButton->Button(i)->isChecked());
  EXPECT_FALSE(d.optRBFunction->Button(0)->isChecked());
  for (QComboBox* list : {d.cboRBAutoMode, d.cboRBAutoSTime, d.cboRBAutoETime, d.cboRBAutoBeep})
    EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_EQ(Greying(d), "0/00000000");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  Choose(d.optVirtualButton, 2);
  Choose(d.optVirtualButton, 1);
  Apply(d);
  const auto sent = JournalLines("SetTouchMode");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("TouchMode=1 RbfEnable=7 RbfAutoMode=200 RbfAutoSTime=10 RbfAutoETime=255 RbfAutoBeep=2"),
            std::string::npos)
      << sent[0];
  EXPECT_EQ(Main().lblVirtualButton->text(), "Stream Mode, RBF Enable");
}

// On in Touch Down Mode starts the program; a second start shows the running copy; off, and
// Drag Drop Mode in automatic mode, close it; with none registered nothing is sent.
TEST_F(VirtualButton, ApplyStartsOrClosesTheRightButtonProgram) {
  VirtualButtonDialog& d = Open("TouchMode=1 RbfEnable=0 RbfAutoMode=1 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1");
  Choose(d.optVirtualButton, 3);
  Choose(d.optRBFunction, 1);
  Apply(d);
  auto sent = JournalLines("SetTouchMode");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("TouchMode=3 RbfEnable=1 RbfAutoMode=1 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1"),
            std::string::npos)
      << sent[0];
  EXPECT_EQ(Main().lblVirtualButton->text(), "Touch Down Mode, RBF Enable");
  EXPECT_FALSE(d.cmdApply->isEnabled());
  const HWND running = WaitForRbf([](const RbfState& s) { return s.window > 0; }).window;
  ASSERT_GT(running, 0);

  SendMessageA(running, WM_USER, RBF_HIDE, 0);
  Choose(d.optVirtualButton, 2);
  Apply(d);
  ASSERT_TRUE(WaitForRbf([&](const RbfState&) { return IsWindowVisible(running) != 0; }).window == running);
  EXPECT_EQ(VisibleRightButtonWindows(), std::vector<HWND>{running});  // the second copy ended

  Choose(d.optRBFunction, 0);
  Apply(d);
  EXPECT_EQ(ReadRbf().window, -1);  // RBF_CLOSE is handled before SendMessageA returns
  EXPECT_EQ(Main().lblVirtualButton->text(), "Lift Off Mode, RBF Disable");

  Choose(d.optVirtualButton, 4);
  Choose(d.optRBFunction, 1);
  d.cboRBAutoMode->setCurrentIndex(0);
  Apply(d);  // manual: started again
  const HWND again = WaitForRbf([](const RbfState& s) { return s.window > 0; }).window;
  ASSERT_GT(again, 0);
  d.cboRBAutoMode->setCurrentIndex(1);
  Apply(d);
  EXPECT_EQ(ReadRbf().window, -1);
  EXPECT_EQ(Main().lblVirtualButton->text(), "Drag Drop Mode, RBF Enable ( Automatic Mode )");

  DeviceService::Qxctl("journal --clear");
  Choose(d.optRBFunction, 0);
  Apply(d);
  EXPECT_EQ(JournalLines("").size(), 2u);  // SetTouchMode and the registration read: no window to close
}

}  // namespace
}  // namespace qx::test
