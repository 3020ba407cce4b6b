// panel_screenshots DIR: the control panel's windows as a person sees them, for a look by eye.
// Runs the main window in this process against a fresh root with a device service, opens the
// Support box, the About box, each dialog, the calibration window (at its first target, and with
// a finger already down at its start) and the touch test window after some drawing in turn, and
// saves the screen with each as DIR/<window>.png. Meant for a (virtual) X display:
// scripts/panel-screenshots.
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "core/settings_store.h"
#include "host/paths.h"
#include "programs/panel/calibration_window.h"
#include "programs/panel/com_port_dialog.h"
#include "programs/panel/feedback_sound_dialog.h"
#include "programs/panel/main_window.h"
#include "programs/panel/mcu_info_dialog.h"
#include "programs/panel/mouse_speed_dialog.h"
#include "programs/panel/panel_program.h"
#include "programs/panel/sensitivity_dialog.h"
#include "programs/panel/serial_port_dialog.h"
#include "programs/panel/sleep_time_dialog.h"
#include "programs/panel/test_window.h"
#include "programs/panel/virtual_button_dialog.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/finger.h"
#include "tests/support/screen_picture.h"
#include "ui/about_box.h"
#include "ui/support_box.h"
#include "ui/window_program.h"

namespace {

using namespace qx;

// A vendor picture as an OEM would ship one.
void WriteVendorPicture() {
  QImage picture(360, 160, QImage::Format_RGB32);
  picture.fill(QColor(255, 255, 224));
  QPainter p(&picture);
  p.setPen(QColor(0, 0, 128));
  p.drawRect(0, 0, 359, 159);
  p.setFont(QFont("DejaVu Sans", 14, QFont::Bold));
  p.drawText(QRect(0, 20, 360, 30), Qt::AlignCenter, "Harlenby Technical Support");
  p.setFont(QFont("DejaVu Sans", 10));
  p.drawText(QRect(0, 70, 360, 80), Qt::AlignCenter, "Tel. 555-0100\nsupport@harlenby.example\nMon-Fri 9:00-17:00");
  p.end();
  picture.save(QString::fromStdString(HostPath(std::string(test::kInstallPath) + VENDER_PICTURE)), "BMP");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString dir = test::StartAsTheControlPanel(argc, argv);
  test::TempRoot root;
  test::DeviceService service;
  test::WriteInstallation();
  WriteVendorPicture();

  MainWindow window;
  if (window.Load() != LoadResult::Ready) return 1;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  test::SaveScreen(dir, "main");

  window.SupportClick();
  test::SaveScreen(dir, "support");
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<SupportBox*>(w)) box->close();

  window.AboutClick();
  test::SaveScreen(dir, "about");
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<AboutBox*>(w)) box->close();

  window.MouseSpeedClick();
  window.frmMouseSpeed->hscMouseHSpeed->setValue(14);
  window.frmMouseSpeed->optAcceleration->Button(2)->click();
  test::SaveScreen(dir, "mouse_speed");
  window.frmMouseSpeed->close();

  window.FeedbackSoundClick();
  window.frmFeedbackSound->hscTone->setValue(1200);
  test::SaveScreen(dir, "feedback_sound");
  window.frmFeedbackSound->close();

  window.SensitivityClick();
  QTest::mousePress(window.frmSensitivity->lblTestBox1, Qt::LeftButton);  // the box lit
  test::SaveScreen(dir, "sensitivity");
  QTest::mouseRelease(window.frmSensitivity->lblTestBox1, Qt::LeftButton);
  window.frmSensitivity->close();

  window.SleepTimeClick();
  test::SaveScreen(dir, "sleep_time");
  window.frmSleepTime->close();

  window.SerialPortClick();
  test::SaveScreen(dir, "serial_port");
  window.frmSerialPort->SetupClick();
  window.frmSerialPort->frmCOMxSet->cboIRQ[2]->setCurrentIndex(2);  // Save enabled
  test::SaveScreen(dir, "com_port");
  window.frmSerialPort->frmCOMxSet->close();
  window.frmSerialPort->close();

  window.McuInfoClick();
  test::SaveScreen(dir, "mcu_info");
  window.frmMcuInfo->close();

  // Drag Drop Mode with the function on in automatic mode (the device's first settings): every
  // control of the dialog in force.
  window.VirtualButtonClick();
  window.frmVirtualButton->cboRBAutoSTime->setCurrentIndex(3);
  test::SaveScreen(dir, "virtual_button");
  window.frmVirtualButton->close();

  // The calibration window at its first target, then with the panel touched as the run begins.
  window.CalibrationClick();
  if (!QTest::qWaitFor([&] { return window.frmCalibration->phase() == CalibrationWindow::Phase::AwaitTouch; }))
    return 1;
  test::SaveScreen(dir, "calibration_target");
  window.frmCalibration->close();
  QTest::qWait(100);
  test::PressFinger(500, 500);
  window.CalibrationClick();
  if (!QTest::qWaitFor([&] { return window.frmCalibration->phase() == CalibrationWindow::Phase::AwaitLiftAtStart; }))
    return 1;
  test::SaveScreen(dir, "calibration_lift_off");
  window.frmCalibration->close();
  test::LiftFinger();
  QTest::qWait(100);

  // The touch test window after a stroke with the left button, a line to where the right button
  // went down while the left was held, and a short red stroke in a wider pen.
  window.TestClick();
  TestWindow& test = *window.frmTest;
  if (!QTest::qWaitForWindowExposed(&test)) return 1;
  QWidget* pad = test.picHome;
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(100, 100));
  for (int x = 110; x <= 400; x += 10) QTest::mouseMove(pad, QPoint(x, 100 + (x - 100) / 3));
  QTest::mousePress(pad, Qt::RightButton, {}, QPoint(400, 300));
  QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(400, 300));
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(400, 300));
  test.SelectColor(1);
  test.SelectWidth(3);
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(500, 150));
  for (int y = 160; y <= 350; y += 10) QTest::mouseMove(pad, QPoint(500 + (y - 150) / 2, y));
  QTest::mousePress(pad, Qt::RightButton, {}, QPoint(600, 360));  // both indicators lit
  test::SaveScreen(dir, "test_window");
  QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(600, 360));
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(600, 360));
  test.close();
  window.close();
  return 0;
}
