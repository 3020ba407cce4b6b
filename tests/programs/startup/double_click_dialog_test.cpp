// The double-click dialog (QXWMECao /SDC) in this process against a fresh root: the bars and
// labels, Apply's rule over the six numbers, OK and Cancel with the stored copies and the
// desktop, the test area with double-clicks made in real time, and the About box from the icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

#include "host/desktop.h"
#include "host/desktop_qt.h"
#include "host/program_state.h"
#include "host/window_input.h"
#include "host/window_input_qt.h"
#include "programs/startup/double_click_settings.h"
#include "programs/startup/main_window.h"
#include "programs/startup/test_area.h"
#include "tests/programs/startup/startup_fixture.h"
#include "tests/support/bars_by_keyboard.h"
#include "tests/support/device_service.h"
#include "tests/support/installation.h"
#include "tests/support/message_recorder.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "ui/about_box.h"

namespace qx::test {
namespace {

class DoubleClickDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    WriteInstallation();
    // As every window program does: the style hints follow the desktop's double-click time.
    static const bool hooked = [] {
      InstallDesktopHook();
      return true;
    }();
    (void)hooked;
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != window.get()) w->deleteLater();
    Settle();
    window.reset();
    ResetProgramState();
  }

  // Lets posted events (deferred deletes, shows) run.
  static void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

  MainWindow& Open() {
    window = std::make_unique<MainWindow>(ProgramArguments{"/SDC"});
    EXPECT_EQ(window->Load(), LoadResult::Ready);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
  }
  static void Move(ScrollBar* bar, int value) { bar->setValue(value); }

  // Two presses of the left button on the test area's image that shows, GAP_MS apart as the
  // person makes them: the window system decides whether they are a double-click.
  void PressTwice(int gapMs) {
    QLabel* image = window->picTest->IsOn() ? window->picTest->imgON : window->picTest->imgOFF;
    const QPoint at = image->mapTo(window.get(), image->rect().center());
    const LPARAM point = MAKELPARAM(at.x(), at.y());
    for (int press = 0; press < 2; ++press) {
      if (press) std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
      QueueWindowInput(window.get(), WM_LBUTTONDOWN, MK_LBUTTON, point);
      QueueWindowInput(window.get(), WM_LBUTTONUP, 0, point);
      QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
  }

  TempRoot root;
  MessageRecorder boxes;
  std::unique_ptr<MainWindow> window;
};

TEST_F(DoubleClickDialog, OpensWithTheStoredValuesBesideTheDesktopsAndApplyFollowsAllSix) {
  WriteDword("DoubleClickSpeed", 500);
  WriteDword("DoubleClickWidth", 32);
  WriteDword("DoubleClickHeight", 32);
  SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 32, nullptr, 0);
  SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, 32, nullptr, 0);
  MainWindow& w = Open();
  EXPECT_EQ(w.windowTitle(), " TouchScreen System Startup #QX-COM");
  EXPECT_EQ(w.lblSystem->text(), "TouchScreen System Startup Version 7.0.COM");
  EXPECT_EQ(w.lblTT->text(), "Speed: 500");
  EXPECT_EQ(w.lblWW->text(), "Width: 32");
  EXPECT_EQ(w.lblHH->text(), "Hight: 32");  // the change behaviour ran, with its spelling
  EXPECT_EQ(w.lblSiTT->text(), "500");
  EXPECT_EQ(w.lblSiWW->text(), "32");
  EXPECT_EQ(w.lblSiHH->text(), "32");
  EXPECT_FALSE(w.cmdApply->isEnabled());
  EXPECT_TRUE(w.Frame1->isVisible());
  EXPECT_FALSE(w.picTest->IsOn());
  EXPECT_EQ(w.picTest->Colour(), QColor(250, 250, 250));

  Move(w.hscHH, 40);
  EXPECT_EQ(w.lblHH->text(), "Hight: 40");
  EXPECT_TRUE(w.cmdApply->isEnabled());
  Move(w.hscHH, 32);
  EXPECT_FALSE(w.cmdApply->isEnabled());
  Move(w.hscTT, 650);  // away and back again
  EXPECT_TRUE(w.cmdApply->isEnabled());
  Move(w.hscTT, 500);
  EXPECT_FALSE(w.cmdApply->isEnabled());
  // The bars keep to their ranges.
  Move(w.hscTT, 50);
  EXPECT_EQ(w.lblTT->text(), "Speed: 100");
  Move(w.hscWW, 99);
  EXPECT_EQ(w.lblWW->text(), "Width: 64");
}

TEST_F(DoubleClickDialog, ADesktopTimeChangedByAnotherProgramKeepsApplyEnabledUntilApplied) {
  // Another program's change, before the dialog opens.
  ASSERT_EQ(test::Run({Program("qxmachine"), "desktop", "DoubleClickSpeed=700"}).exitCode, 0);
  MainWindow& w = Open();  // nothing stored: 500, 32, 32
  EXPECT_EQ(w.lblSiTT->text(), "700");
  EXPECT_TRUE(w.cmdApply->isEnabled());
  Move(w.hscTT, 510);
  Move(w.hscTT, 500);
  EXPECT_TRUE(w.cmdApply->isEnabled());  // unchanged bars, yet the desktop differs

  QTest::mouseClick(w.cmdApply, Qt::LeftButton);
  EXPECT_FALSE(w.cmdApply->isEnabled());
  EXPECT_EQ(DesktopValues(), "500/32/32");
  EXPECT_EQ(w.lblSiTT->text(), "500");
  EXPECT_EQ(w.lblSiWW->text(), "32");
  EXPECT_EQ(MouseValues(), "1:500/1:32/1:32");
  EXPECT_EQ(SuiteValues(), "4:500/4:32/4:32");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DoubleClickDialog, CancelAfterMovingABarLeavesBothCopiesAndTheDesktopAlone) {
  WriteDword("DoubleClickSpeed", 300);
  WriteDword("DoubleClickWidth", 8);
  WriteDword("DoubleClickHeight", 9);
  MainWindow& w = Open();
  EXPECT_EQ(w.lblTT->text(), "Speed: 300");
  Move(w.hscTT, 800);
  Move(w.hscWW, 20);
  QTest::mouseClick(w.cmdCandel, Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(SuiteValues(), "4:300/4:8/4:9");
  EXPECT_EQ(MouseValues(), "//");
  EXPECT_EQ(DesktopValues(), "500/4/4");
}

TEST_F(DoubleClickDialog, OKAppliesPendingChangesOnlyAndAFailureShowsItsLetters) {
  MainWindow& w = Open();
  Move(w.hscWW, 12);
  FailCalls("SystemParametersInfoA:SPI_SETDOUBLECLKWIDTH");
  QTest::mouseClick(w.cmdOK, Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to SetDoubleClock (W)!");
  EXPECT_EQ(boxes.shown[0].caption, " TouchScreen System Startup #QX-COM");
  EXPECT_EQ(DesktopValues(), "500/4/32");
  EXPECT_EQ(SuiteValues(), "4:500/4:12/4:32");

  // Opened again with everything in force, OK writes nothing.
  FailCalls("");
  SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, 12, nullptr, 0);
  MainWindow& again = Open();
  EXPECT_FALSE(again.cmdApply->isEnabled());
  FailCalls("RegCreateKeyA RegSetValueExA");  // a write would fail and show a box
  QTest::mouseClick(again.cmdOK, Qt::LeftButton);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(DoubleClickDialog, TheTestAreaRecognisesDoubleClicksWithTheAppliedTime) {
  WriteDword("DoubleClickSpeed", 200);
  WriteDword("DoubleClickWidth", 4);
  WriteDword("DoubleClickHeight", 4);
  MainWindow& w = Open();
  ASSERT_TRUE(w.cmdApply->isEnabled());  // the desktop has 500
  QTest::mouseClick(w.cmdApply, Qt::LeftButton);
  ASSERT_EQ(GetDoubleClickTime(), 200u);

  PressTwice(350);  // too slow for 200 ms
  EXPECT_FALSE(w.picTest->IsOn());
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  PressTwice(60);
  EXPECT_TRUE(w.picTest->IsOn());
  EXPECT_EQ(w.picTest->Colour(), QColor(0, 0, 255));
  EXPECT_FALSE(w.picTest->imgOFF->isEnabled());

  Move(w.hscTT, 900);
  QTest::mouseClick(w.cmdApply, Qt::LeftButton);
  ASSERT_EQ(GetDoubleClickTime(), 900u);
  std::this_thread::sleep_for(std::chrono::milliseconds(950));
  PressTwice(600);  // slow, but within 900 ms
  EXPECT_FALSE(w.picTest->IsOn());
  EXPECT_EQ(w.picTest->Colour(), QColor(250, 250, 250));
  std::this_thread::sleep_for(std::chrono::milliseconds(950));
  PressTwice(1100);  // beyond it
  EXPECT_FALSE(w.picTest->IsOn());
}

TEST_F(DoubleClickDialog, KeysPressedDuringTheLogOnSplashStoreNothing) {
  DeviceService service;
  WriteDword("DoubleClickSpeed", 300);
  WriteDword("DoubleClickWidth", 8);
  WriteDword("DoubleClickHeight", 9);
  window = std::make_unique<MainWindow>();  // no /SDC: the log-on splash, whose sequence then runs
  ASSERT_EQ(window->Load(), LoadResult::Ready);
  window->show();
  // During the sequence's pause: Tab to every control, Space and Enter on each.
  int pressed = 0;
  QTimer::singleShot(300, window.get(), [&] {
    for (; pressed < 12; ++pressed) {
      QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
      QTest::keyClick(focus, Qt::Key_Space);
      QTest::keyClick(focus, Qt::Key_Return);
      QTest::keyClick(focus, Qt::Key_Tab);
    }
  });
  (void)QTest::qWaitFor([&] { return !window->isVisible(); }, 5000);
  EXPECT_EQ(pressed, 12);
  EXPECT_FALSE(window->isVisible());  // the sequence ended
  EXPECT_EQ(SuiteValues(), "4:300/4:8/4:9");
  EXPECT_EQ(MouseValues(), "1:300/1:8/1:9");
  EXPECT_EQ(DesktopValues(), "300/8/9");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DoubleClickDialog, ADoubleClickOnTheIconShowsTheAboutBoxInsteadOfTheDialog) {
  MainWindow& w = Open();
  QTest::mouseDClick(w.imgIcon, Qt::LeftButton);
  ASSERT_TRUE(w.frmAbout);
  EXPECT_TRUE(w.frmAbout->isVisible());
  EXPECT_FALSE(w.isVisible());
  w.frmAbout->close();
  Settle();
  EXPECT_TRUE(w.isVisible());
}

// The person without a mouse: Tab reaches each bar, whose keys move it as a change of theirs.
TEST_F(DoubleClickDialog, EveryBarIsReachedByTabAndMovedByItsKeys) {
  MainWindow& w = Open();
  const bool applyBefore = w.cmdApply->isEnabled();  // the desktop's values may differ from the stored ones
  EXPECT_EQ(BarsReachedByTab(w, [&] { EXPECT_TRUE(w.cmdApply->isEnabled()); }),
            (std::vector<std::string>{"hscTT", "hscWW", "hscHH"}));
  EXPECT_EQ(w.cmdApply->isEnabled(), applyBefore);
  EXPECT_EQ(w.lblTT->text(), "Speed: " + QString::number(DoubleClickSpeed));
}

}  // namespace
}  // namespace qx::test
