#include "programs/panel/main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QTest>

#include "core/driver_link.h"
#include "core/settings_store.h"
#include "platform/program_start.h"
#include "programs/panel/com_port_dialog.h"
#include "programs/panel/feedback_sound_dialog.h"
#include "programs/panel/mcu_info_dialog.h"
#include "programs/panel/mouse_speed_dialog.h"
#include "programs/panel/sensitivity_dialog.h"
#include "programs/panel/serial_port_dialog.h"
#include "programs/panel/sleep_time_dialog.h"
#include "tests/programs/panel/panel_fixture.h"
#include "ui/about_box.h"
#include "ui/support_box.h"
#include "ui/twips.h"

namespace qx::test {
namespace {


template <typename W>
W* OpenWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* found = qobject_cast<W*>(w); found && found->isVisible()) return found;
  return nullptr;
}

using MainWindowStart = PanelTest;

TEST_F(MainWindowStart, ShowsTheSummariesOfTheDevicesBlock) {
  DeviceService::Qxctl(
      "set ActivePort=2 ActivePortBase=0x2F8 ActivePortIrq=3 BaudIndex=11 TouchMode=4 RbfEnable=1 RbfAutoMode=2 "
      "SoundMode=4 Sensitivity=130 SpeedH=8 SpeedV=12 Acceleration=3 Bypass=0 PowerDownTime=6");
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().windowTitle(), kPanelTitle);
  EXPECT_EQ(Main().lblSystem->text(), "TouchScreen Control Panel Version 7.0.COM");
  EXPECT_EQ(Main().lblSerialPort->text(), "COM2, Port=02F8, IRQ=3, (115200,N,8,1)");
  EXPECT_EQ(Main().lblVirtualButton->text(), "Drag Drop Mode, RBF Enable ( Manual Mode )");
  EXPECT_EQ(Main().lblFeedbackSound->text(), "Both Touch Down & Lift Off");
  EXPECT_EQ(Main().lblSensitivity->text(), "Level -3");
  EXPECT_EQ(Main().lblMouseSpeed->text(), "HS=40%, VS=60%, Acceleration=Fast");
  EXPECT_EQ(Main().lblSleepTime->text(), "Power Down When Idle  1 Min. ");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(JournalLines("GetSettings").size(), 1u);
  EXPECT_EQ(JournalLines("GetControllerInfo").size(), 1u) << "what the block cannot say, asked once";
}

TEST_F(MainWindowStart, MouseSpeedRowIsGoneAndTheRowsBelowMoveUp) {
  MainWindow designed;  // as designed, before start-up
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(HeightTwips(&designed) - HeightTwips(&Main()), 600);
  EXPECT_EQ(TopTwips(Main().cmdSleepTime), TopTwips(designed.cmdMouseSpeed));
  EXPECT_EQ(TopTwips(Main().shpSleepTime), TopTwips(designed.shpMouseSpeed));
  EXPECT_EQ(TopTwips(Main().lblSleepTime), TopTwips(designed.lblMouseSpeed));
  for (QWidget* moved : {static_cast<QWidget*>(Main().cmdCalibration), static_cast<QWidget*>(Main().shpCalibration),
                         static_cast<QWidget*>(Main().cmdSupport), static_cast<QWidget*>(Main().cmdExit)})
    EXPECT_EQ(TopTwips(moved), TopTwips(designed.cmdSleepTime)) << moved->objectName().toStdString();
  EXPECT_EQ(TopTwips(Main().cboCalibration), TopTwips(Main().shpCalibration) + 60);
  EXPECT_FALSE(Main().cmdMouseSpeed->isVisible());
  EXPECT_FALSE(Main().cmdMouseSpeed->isEnabled());
  EXPECT_FALSE(Main().shpMouseSpeed->isVisible());
  EXPECT_FALSE(Main().lblMouseSpeed->isVisible());
  EXPECT_FALSE(Main().lblMouseSpeed->isEnabled());
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{Main().cmdSensivitity, Main().lblSensitivity, Main().lblDetection,
                                       Main().cmdTest, Main().cmdSMIon, Main().cmdSMIoff}) {
    EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_FALSE(hidden->isEnabled()) << hidden->objectName().toStdString();
  }
  // Everything that shows lies inside the shortened window.
  for (QWidget* shown : Main().findChildren<QWidget*>()) {
    if (shown->isVisible() && shown->parentWidget() == &Main()) {
      EXPECT_TRUE(Main().rect().contains(shown->geometry())) << shown->objectName().toStdString();
    }
  }
}

TEST_F(MainWindowStart, CaptionsAreTheAccessibleNames) {
  ASSERT_EQ(Start(), LoadResult::Ready);
  const std::pair<QPushButton*, const char*> buttons[] = {
      {Main().cmdSerialPort, "&Serial Port"},
      {Main().cmdVirtualButton, "&Virtual Button"},
      {Main().cmdFeedbackSound, "&Feedback Sound"},
      {Main().cmdMouseSpeed, "&Mouse Speed"},
      {Main().cmdSleepTime, "&Power Save"},
      {Main().cmdSensivitity, "&Touch Sensitivity"},
      {Main().cmdCalibration, "&Calibration"},
      {Main().cmdExit, "E&xit"},
      {Main().cmdTest, "&Test"},
      {Main().cmdSMIon, "SMI on"},
      {Main().cmdSMIoff, "SMI Off"},
  };
  for (const auto& [button, caption] : buttons) {
    EXPECT_EQ(button->text(), caption);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->text(QAccessible::Name), QString(caption).remove('&'));
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Main().lblFeedbackSound)->text(QAccessible::Name),
            Main().lblFeedbackSound->text());
  EXPECT_TRUE(Main().cmdExit->isDefault());
  EXPECT_EQ(Main().lblSensitivity->objectName(), "lblSensitivity");
  EXPECT_EQ(Main().cboCalibration->count(), 2);
  EXPECT_EQ(Main().cboCalibration->itemText(0), " 4 points, mode 1");
  EXPECT_EQ(Main().cboCalibration->itemText(1), " 4 points, mode 2");
}

// In every dialog, what a person reads on a control is what a screen reader reads for it.
TEST_F(MainWindowStart, EveryDialogsCaptionsAreTheirAccessibleNames) {
  ASSERT_EQ(Start(), LoadResult::Ready);
  auto check = [](QWidget* dialog) {
    ASSERT_TRUE(dialog);
    int captions = 0;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
      QString caption;
      if (auto* button = qobject_cast<QAbstractButton*>(control)) caption = button->text();
      else if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
      else if (auto* frame = qobject_cast<QGroupBox*>(control)) caption = frame->title();
      if (caption.isEmpty()) continue;
      ++captions;
      const QString shown =
          qobject_cast<QLabel*>(control) ? caption : QString::fromStdString(LabelCaption(caption.toStdString()));
      EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), shown)
          << dialog->objectName().toStdString() << " " << control->objectName().toStdString();
    }
    EXPECT_GE(captions, 4) << dialog->objectName().toStdString();
    dialog->close();
    Settle();
  };
  Main().FeedbackSoundClick();
  check(Main().frmFeedbackSound);
  Main().SensitivityClick();
  check(Main().frmSensitivity);
  Main().SleepTimeClick();
  check(Main().frmSleepTime);
  Main().McuInfoClick();
  check(Main().frmMcuInfo);
  Main().SerialPortClick();
  Main().frmSerialPort->SetupClick();
  check(Main().frmSerialPort->frmCOMxSet);
  check(Main().frmSerialPort);
}

class CalibrationModeStart : public PanelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CalibrationModeStart, OutOfRangeOrTextIsWrittenBackAsDwordZero) {
  const std::string stored = GetParam();
  if (stored == "text") WriteString("CalibrationMode", "1");
  else WriteDword("CalibrationMode", std::stoi(stored));
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().cboCalibration->currentIndex(), 0);
  EXPECT_EQ(Main().cboCalibration->currentText(), " 4 points, mode 1");
  EXPECT_EQ(StoredValue("CalibrationMode"), "4:0");
}

INSTANTIATE_TEST_SUITE_P(Stored, CalibrationModeStart, ::testing::Values("5", "-1", "2", "text"));

TEST_F(MainWindowStart, StoredModeIsSelectedAndEverySelectionIsStored) {
  WriteDword("CalibrationMode", 1);
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().cboCalibration->currentIndex(), 1);
  EXPECT_EQ(StoredValue("CalibrationMode"), "4:1");
  Main().cboCalibration->setCurrentIndex(0);
  EXPECT_EQ(StoredValue("CalibrationMode"), "4:0");
  EXPECT_EQ(CalibrationMode, 0);
}

TEST_F(MainWindowStart, MissingCalibrationModeIsCreatedAsZero) {
  ASSERT_EQ(StoredValue("CalibrationMode"), "");
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(StoredValue("CalibrationMode"), "4:0");
}

TEST_F(MainWindowStart, MissingInstallationValueEndsWithTheRegisterFileBox) {
  DeviceService::Qxctl("journal --clear");
  DeleteValue("HardwareID");  // never used by the panel, yet part of the record
  EXPECT_EQ(Start(), LoadResult::Failed);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to load data from Register File!");
  EXPECT_EQ(boxes.shown[0].caption, kPanelTitle);
  EXPECT_EQ(boxes.shown[0].type, 0x1010u);
  EXPECT_TRUE(JournalLines("GetSettings").empty());
}

TEST_F(MainWindowStart, AbsentControllerEndsWithNotFoundAndClosesTheDriver) {
  DeviceService::Qxctl("controller absent");
  EXPECT_EQ(Start(), LoadResult::Failed);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "TouchScreen Controller Not Found!");
  EXPECT_EQ(boxes.shown[0].caption, kPanelTitle);
  // The handle is closed: a request on it now fails.
  GetSettings();
  EXPECT_EQ(LastRequestResult, 0);
}

class SupportButton : public PanelTest {};

TEST_F(SupportButton, CutMarkMakesItBlankAndDisabled) {
  WriteInstallFile("QXVender.Cut", "");
  WriteInstallBitmap("QXVender.Bmp", 100, 60);
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().cmdSupport->text(), "");
  EXPECT_FALSE(Main().cmdSupport->isEnabled());
}

TEST_F(SupportButton, WithoutVendorPictureItIsAboutAndOpensTheAboutBox) {
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().cmdSupport->text(), "&About");
  QTest::mouseClick(Main().cmdSupport, Qt::LeftButton);
  EXPECT_FALSE(Main().isVisible());
  AboutBox* about = OpenWindow<AboutBox>();
  ASSERT_TRUE(about);
  EXPECT_EQ(about->findChild<QLabel*>("lblSystem")->text(), "TouchScreen Control Panel Version 7.0.COM");
  QTest::mouseClick(about->cmdOK, Qt::LeftButton);
  Settle();
  EXPECT_TRUE(Main().isVisible());
}

TEST_F(SupportButton, WithVendorPictureItOpensTheSupportBox) {
  WriteInstallBitmap("QXVender.Bmp", 150, 90);
  ASSERT_EQ(Start(), LoadResult::Ready);
  EXPECT_EQ(Main().cmdSupport->text(), "S&upport");
  QTest::mouseClick(Main().cmdSupport, Qt::LeftButton);
  SupportBox* support = OpenWindow<SupportBox>();
  ASSERT_TRUE(support);
  EXPECT_EQ(support->windowTitle(), kPanelTitle);
  EXPECT_EQ(support->picSupport->pixmap().size(), QSize(150, 90));
  EXPECT_FALSE(Main().isVisible());
  support->close();
  Settle();
  EXPECT_TRUE(Main().isVisible());
}

TEST_F(SupportButton, DoubleClickOnTheIconOpensTheAboutBox) {
  WriteInstallBitmap("QXVender.Bmp", 150, 90);
  ASSERT_EQ(Start(), LoadResult::Ready);
  QTest::mouseDClick(Main().imgIcon, Qt::LeftButton);
  EXPECT_TRUE(OpenWindow<AboutBox>());
  EXPECT_FALSE(Main().isVisible());
}

TEST_F(MainWindowStart, ExitUnloadsAndClosesTheDriver) {
  ASSERT_EQ(Start(), LoadResult::Ready);
  QTest::mouseClick(Main().cmdExit, Qt::LeftButton);
  EXPECT_FALSE(Main().isVisible());
  GetSettings();
  EXPECT_EQ(LastRequestResult, 0);
}

TEST_F(MainWindowStart, AltMOpensMouseSpeedOtherAltKeysDoNot) {
  ASSERT_EQ(Start(), LoadResult::Ready);
  Main().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
  QTest::keyClick(&Main(), Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyClick(&Main(), Qt::Key_N, Qt::AltModifier);
  EXPECT_FALSE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().isVisible());
  QTest::keyClick(Main().cboCalibration, Qt::Key_M, Qt::AltModifier);
  ASSERT_TRUE(Main().frmMouseSpeed);
  EXPECT_TRUE(Main().frmMouseSpeed->isVisible());
  EXPECT_FALSE(Main().isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the hourglass is gone again
}

}  // namespace
}  // namespace qx::test
