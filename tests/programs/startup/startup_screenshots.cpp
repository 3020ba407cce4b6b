// startup_screenshots DIR: the startup program's windows as a person sees them, for a look by eye.
// In this process against a fresh root with a device service: the splash while the log-on
// sequence runs (taken during its pause), then the double-click dialog as it opens after another
// program changed the desktop's time, after the height bar moved, and with the test area lit by a
// double-click; each saved as DIR/<name>.png. Meant for a (virtual) X display:
// scripts/startup-screenshots.
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "host/desktop.h"
#include "programs/startup/main_window.h"
#include "programs/startup/test_area.h"
#include "tests/support/device_service.h"
#include "tests/support/installation.h"
#include "tests/support/screen_picture.h"
#include "tests/support/temp_root.h"
#include "ui/window_program.h"

using namespace qx;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InitWindowProgram();
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  test::TempRoot root;
  test::DeviceService service;
  test::WriteInstallation();
  test::WriteDword("DoubleClickSpeed", 350);
  test::WriteDword("DoubleClickWidth", 8);
  test::WriteDword("DoubleClickHeight", 8);

  {
    // The sequence starts once events run; the picture is taken from inside its pause.
    MainWindow splash;
    if (splash.Load() != LoadResult::Ready) return 1;
    splash.show();
    QTimer::singleShot(500, [&] { test::GrabScreen(dir, "splash"); });
    QTest::qWait(2000);
  }

  SetDoubleClickTime(500);  // another program's change since the log-on: Apply is enabled
  MainWindow dialog({"/SDC"});
  if (dialog.Load() != LoadResult::Ready) return 1;
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return 1;
  test::SaveScreen(dir, "dialog");
  dialog.hscHH->setValue(40);
  test::SaveScreen(dir, "dialog-moved");
  QTest::mouseDClick(dialog.picTest->imgOFF, Qt::LeftButton);
  test::SaveScreen(dir, "dialog-test-on");
  return 0;
}
