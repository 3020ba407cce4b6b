// controller_screenshots DIR: what the control panel says of a real touchscreen, for a look by
// eye. For a USB touchscreen and a serial one (an RS-232 device on ttyS0, as the kernel's driver
// makes it once inputattach runs), each on a umockdev test bed with mocked serial lines, runs a
// device service that reads it and the main window in this process, and saves the screen with the
// main window, the serial port dialog and the MCU information as DIR/<kind>_<window>.png; prints
// qxctl summary for each. Meant for a (virtual) X display.
#include <sys/stat.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <fstream>

#include "programs/panel/main_window.h"
#include "programs/panel/mcu_info_dialog.h"
#include "programs/panel/panel_program.h"
#include "programs/panel/serial_port_dialog.h"
#include "programs/panel/sleep_time_dialog.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/device_service.h"
#include "tests/support/installation.h"
#include "tests/support/screen_picture.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_bed.h"
#include "ui/window_program.h"

namespace {

using namespace qx;

bool Shoot(const QString& dir, const std::string& kind, const test::TestTouchscreen& device) {
  test::TempRoot root;
  test::UmockdevBed bed;
  std::string why;
  const bool ready = bed.AddTty("ttyS0", "0x3F8", 4, 4, why) && bed.AddTty("ttyS1", "0x2F8", 3, 4, why) &&
                     bed.AddTty("ttyS2", "0x3E8", 5, 0, why) && bed.Plug(device, "/dev/input/event10", "", why);
  if (!ready) return std::fprintf(stderr, "controller_screenshots: %s\n", why.c_str()), false;
  ::mkdir((root.path() + "/serial").c_str(), 0700);
  std::ofstream(root.path() + "/serial/dev-ttyS0.conf")
      << "QX_DEVICE=/dev/ttyS0\nQX_PROTOCOL=elotouch\nQX_SPEED=9600\n";
  std::vector<std::string> env = bed.Environment();
  env.push_back("QX_SERIAL_SETUP=" + root.path() + "/serial");
  test::DeviceService service({"--pointer", "none", "--touchscreen", "auto"}, env);
  test::WriteInstallation();
  std::printf("%s: qxctl summary\n%s", kind.c_str(), test::DeviceService::Qxctl("summary").c_str());

  MainWindow window;
  if (window.Load() != LoadResult::Ready) return false;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  test::SaveScreen(dir, kind + "_main");
  window.SerialPortClick();
  test::SaveScreen(dir, kind + "_serial_port");
  window.frmSerialPort->close();
  window.McuInfoClick();
  test::SaveScreen(dir, kind + "_mcu_info");
  window.frmMcuInfo->close();
  window.SleepTimeClick();
  test::SaveScreen(dir, kind + "_sleep_time");
  window.frmSleepTime->close();
  window.close();
  QTest::qWait(100);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString dir = test::StartAsTheControlPanel(argc, argv);
  test::TestTouchscreen usb{"QX USB Touch Panel"};
  usb.vendor = 0x1A2B;
  usb.product = 0x0C01;
  usb.version = 0x0110;
  usb.phys = "usb-0000:00:14.0-4/input0";
  test::TestTouchscreen serial{"QX Serial Touch Panel", 0, 4095, 0, 4095};
  serial.bus = 0x13;
  serial.vendor = 0x0004;
  serial.product = 0x0000;
  serial.version = 0x0100;
  serial.phys = "ttyS0/serio0/input0";
  return Shoot(dir, "usb", usb) && Shoot(dir, "serial", serial) ? 0 : 1;
}
