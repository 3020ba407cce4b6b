// What the service says of the controller when the input is a real touchscreen: the machine's
// serial ports from sysfs (followed at udev's tty announcements), the Serial Port line of a
// touchscreen on a COM port and of one on another bus, the MCU fields from the device's identity,
// and the settings it does not have. A umockdev test bed with mocked ttys; the service under it.
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "core/controller_info.h"
#include "core/driver_records.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_bed.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TestTouchscreen;

class ControllerTruth : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    // COM1 a UART at 3F8 on IRQ 26; COM2 listed without one; COM3 held by a live program (this
    // test, by its lock file); COM4 and above not listed.
    ASSERT_TRUE(bed_.AddTty("ttyS0", "0x3F8", 26, 4, why)) << why;
    ASSERT_TRUE(bed_.AddTty("ttyS1", "0x2F8", 3, 0, why)) << why;
    ASSERT_TRUE(bed_.AddTty("ttyS2", "0x3E8", 5, 4, why)) << why;
    ::mkdir((root_.path() + "/locks").c_str(), 0700);
    ::mkdir((root_.path() + "/serial").c_str(), 0700);
    std::ofstream(root_.path() + "/locks/LCK..ttyS2") << "      " << ::getpid() << "\n";
    // A FIFO in a lock file's place (the lock folder is anyone's) holds nothing, and no reader.
    ::mkfifo((root_.path() + "/locks/LCK..ttyS0").c_str(), 0600);
    std::ofstream(root_.path() + "/serial/dev-ttyS0.conf")
        << "QX_DEVICE=/dev/ttyS0\nQX_PROTOCOL=elotouch\nQX_SPEED=19200\n";
  }
  // The service, its touchscreen taken.
  void Start() {
    ASSERT_TRUE(service_.Start({"--touchscreen", "auto"}, {"QX_SERIAL_LOCKS=" + root_.path() + "/locks",
                                                           "QX_SERIAL_SETUP=" + root_.path() + "/serial"}))
        << service_.Log();
    ASSERT_EQ(DeviceService::QxctlExit("summary"), 0) << service_.Log();
  }
  void Plug(const TestTouchscreen& d, const std::string& events = "") {
    std::string why;
    node_ = service_.Plug(d, events, why);
    ASSERT_FALSE(node_.empty()) << why;
  }

  test::TempRoot root_;
  test::ServiceOnBed service_{root_.path()};
  test::UmockdevBed& bed_ = service_.bed();
  std::string node_;
};

// Whether qxctl summary has LINE.
bool Says(const std::string& line) { return DeviceService::Qxctl("summary").find(line + "\n") != std::string::npos; }

TEST_F(ControllerTruth, TheSerialPortLineAndTheMcuFieldsAreTheDevicesAndThePortTableTheMachines) {
  struct Case {
    const char* what;
    int bus;
    const char* phys;
    const char* serialPort;
    std::uint8_t activePort;
  };
  const Case cases[] = {
      {"a USB touchscreen", BUS_USB, "usb-0000:00:14.0-4/input0", "USB, QX Panel", 255},
      {"an I2C touchscreen", BUS_I2C, "i2c-QXTP0001:00", "I2C, QX Panel", 255},
      {"a serial touchscreen on ttyS0", BUS_RS232, "ttyS0/serio0/input0", "COM1, Port=03F8, IRQ=26, (19200,N,8,1)", 1},
      {"a serial touchscreen on a USB adapter", BUS_RS232, "ttyUSB0/serio0/input0", "RS-232 ttyUSB0, QX Panel", 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestTouchscreen d{"QX Panel"};
    d.bus = c.bus;
    d.phys = c.phys;
    d.vendor = 0x1A2B;
    d.product = 0x0C01;
    d.version = 0x0110;
    Plug(d);
    Start();
    EXPECT_TRUE(Says(std::string("Serial Port: ") + c.serialPort)) << DeviceService::Qxctl("summary");
    EXPECT_TRUE(Says(std::string("Power Save: ") + kDoesNotApply));
    EXPECT_TRUE(Says(std::string("Touch Sensitivity: ") + kDoesNotApply)) << "the device says nothing of firmness";

    const SettingsBlock b = test::DeviceAnswer(IOCTL_GET_SETTINGS, SettingsBlock{});
    EXPECT_EQ(b.ActivePort, c.activePort);
    const std::pair<int, int> ports[] = {{0x3F8, 26}, {0, 255}, {0, 254}, {0, 255}, {0, 255}};
    for (std::size_t n = 0; n < std::size(ports); ++n) {
      EXPECT_EQ(b.PortTable[n].PortBase, ports[n].first) << "COM" << n + 1;
      EXPECT_EQ(b.PortTable[n].PortIrq, ports[n].second) << "COM" << n + 1;
    }
    EXPECT_EQ(b.McuMode, c.bus);
    EXPECT_EQ(b.McuVersion, 0x11) << "version 0x0110 reads 1.1";
    const std::uint8_t code[4] = {0x1A, 0x2B, 0x0C, 0x01};
    EXPECT_EQ(std::memcmp(b.McuCode, code, 4), 0);
    service_.Stop();
    bed_.Unplug(node_);
  }
}

// A serial line added or removed after the touchscreen was taken is in the table, or out of it, at
// once.
TEST_F(ControllerTruth, ThePortTableFollowsUdevsTtyAnnouncements) {
  Plug(TestTouchscreen{"QX Panel"});
  Start();
  std::string why;
  ASSERT_TRUE(bed_.AddTty("ttyS3", "0x2E8", 7, 4, why)) << why;
  EXPECT_TRUE(test::WaitUntil(
      [] {
        const SettingsBlock b = test::DeviceAnswer(IOCTL_GET_SETTINGS, SettingsBlock{});
        return b.PortTable[3].PortBase == 0x2E8 && b.PortTable[3].PortIrq == 7;
      },
      10000, 20))
      << service_.Log();
  bed_.RemoveTty("ttyS0");
  EXPECT_TRUE(test::WaitUntil(
      [] { return test::DeviceAnswer(IOCTL_GET_SETTINGS, SettingsBlock{}).PortTable[0].PortIrq == 255; }, 10000, 20));
}

// A device that says how firm a touch is has a sensitivity: a touch counts from the level in force
// on (63 of 127 here: half the pressure range), a lighter one makes no report.
TEST_F(ControllerTruth, ATouchLighterThanTheSensitivityLevelIsNoTouch) {
  TestTouchscreen d{"QX Pressure Panel", 0, 1023, 0, 1023};
  d.maxPressure = 255;
  test::TouchRecording touches(d);
  touches.Hold(0);
  touches.Event(200000, EV_ABS, ABS_PRESSURE, 100);
  touches.Down(200000, 100, 100);
  touches.Up(240000);
  touches.Event(400000, EV_ABS, ABS_PRESSURE, 200);
  touches.Down(400000, 900, 900);
  touches.Up(440000);
  Plug(d, touches.Events());
  Start();
  EXPECT_TRUE(Says("Touch Sensitivity: Level 63"));
  ASSERT_TRUE(test::WaitUntil([] { return test::JournalReports().size() >= 2; }, 10000, 20)) << service_.Log();
  const std::vector<test::JournalReport> reports = test::JournalReports();
  EXPECT_EQ(reports[0].x, 900) << "the light touch at 100 made a report";
  EXPECT_EQ(reports[0].touch, 1);
}

}  // namespace
}  // namespace qx
