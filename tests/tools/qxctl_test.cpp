// qxctl as a person runs it, against a real device service.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "core/driver_records.h"
#include "host/machine_root.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TempRoot;

TEST(QxctlSummary, PrintsTheSixLinesOfTheControlPanel) {
  TempRoot root;
  DeviceService service;
  int rc = -1;
  DeviceService::Qxctl(
      "set ActivePort=1 ActivePortBase=0x3F8 ActivePortIrq=4 BaudIndex=4 TouchMode=4 RbfEnable=1 "
      "RbfAutoMode=1 SoundMode=4 SpeedH=10 SpeedV=10 Acceleration=1 Bypass=0 PowerDownTime=9 Sensitivity=64",
      &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(DeviceService::Qxctl("summary", &rc),
            "Serial Port: COM1, Port=03F8, IRQ=4, (9600,N,8,1)\n"
            "Virtual Button: Drag Drop Mode, RBF Enable ( Automatic Mode )\n"
            "Feedback Sound: Both Touch Down & Lift Off\n"
            "Mouse Speed: HS=50%, VS=50%, Acceleration=Slow\n"
            "Power Save: Power Down When Idle  1 Min.  30 Sec.\n"
            "Touch Sensitivity: Level 63\n");
  EXPECT_EQ(rc, 0);
}

// The summary texts, written out again from their definitions, to check qxctl against.
std::string Expected(int port, int base, int irq, int baud, int touch, int rbf, int autoMode, int sound, int h, int v,
                     int accel, int bypass, int power, int sens) {
  const char* bauds[] = {"",      "1200",  "2400",  "4800",  "9600",  "14400",
                         "19200", "28800", "38400", "57600", "76800", "115200"};
  const char* touches[] = {"Stream Mode", "Lift Off Mode", "Touch Down Mode", "Drag Drop Mode"};
  const char* sounds[] = {"Silence ( No Sound )", "Touch Down Only", "Lift Off Only", "Both Touch Down & Lift Off"};
  const char* accels[] = {"Slow", "Medium", "Fast", "Off"};
  char buf[512];
  std::string out;
  std::snprintf(buf, sizeof buf, "Serial Port: COM%d, Port=%04X, IRQ=%d, (%s,N,8,1)\n", port, base & 0xFFFF, irq,
                baud <= 11 ? bauds[baud] : ("Invalid#" + std::to_string(baud)).c_str());
  out += buf;
  std::string vb;
  if (touch < 1 || touch > 4) {
    vb = "Invalid#" + std::to_string(touch) + "," + std::to_string(rbf) + "," + std::to_string(autoMode);
  } else {
    vb = std::string(touches[touch - 1]) + ", RBF " + (rbf ? "Enable" : "Disable");
    if (rbf && touch == 4) vb += autoMode == 1 ? " ( Automatic Mode )" : " ( Manual Mode )";
  }
  out += "Virtual Button: " + vb + "\n";
  out += "Feedback Sound: " +
         std::string(sound >= 1 && sound <= 4 ? sounds[sound - 1] : ("Invalid#" + std::to_string(sound)).c_str()) +
         "\n";
  if (bypass) {
    out += "Mouse Speed: Enable Bypass Mode\n";
  } else {
    std::string a = accel >= 1 && accel <= 4 ? accels[accel - 1] : "Invalid#" + std::to_string(accel);
    std::snprintf(buf, sizeof buf, "Mouse Speed: HS=%d%%, VS=%d%%, Acceleration=%s\n", h * 5, v * 5, a.c_str());
    out += buf;
  }
  if (power == 0) {
    out += "Power Save: Disable Power Down Function\n";
  } else {
    int s = power * 10;
    std::string d;
    if (s / 60) d += " " + std::to_string(s / 60) + " Min. ";
    if (s % 60) d += " " + std::to_string(s % 60) + " Sec.";
    out += "Power Save: Power Down When Idle " + d + "\n";
  }
  out += "Touch Sensitivity: Level " + std::to_string(127 - sens) + "\n";
  return out;
}

TEST(QxctlSummary, MatchesTheTextsForRandomBlocks) {
  TempRoot root;
  DeviceService service;
  std::mt19937 rng(2024);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
  for (int round = 0; round < 150; ++round) {
    // Mostly valid values, with the edges and the invalid ones mixed in.
    int port = pick(1, 9), base = pick(0, 0xFFFF), irq = pick(0, 255), baud = pick(0, 14);
    int touch = pick(0, 6), rbf = pick(0, 2), autoMode = pick(0, 3), sound = pick(0, 6);
    int h = pick(0, 21), v = pick(0, 21), accel = pick(0, 6), bypass = pick(0, 1) * pick(0, 3);
    int power = pick(0, 40), sens = pick(0, 255);
    char args[512];
    std::snprintf(args, sizeof args,
                  "set ActivePort=%d ActivePortBase=%d ActivePortIrq=%d BaudIndex=%d TouchMode=%d RbfEnable=%d "
                  "RbfAutoMode=%d SoundMode=%d SpeedH=%d SpeedV=%d Acceleration=%d Bypass=%d PowerDownTime=%d "
                  "Sensitivity=%d",
                  port, base, irq, baud, touch, rbf, autoMode, sound, h, v, accel, bypass, power, sens);
    int rc = -1;
    DeviceService::Qxctl(args, &rc);
    ASSERT_EQ(rc, 0) << args;
    std::string got = DeviceService::Qxctl("summary", &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(got, Expected(port, base, irq, baud, touch, rbf, autoMode, sound, h, v, accel, bypass, power, sens))
        << args;
  }
}

TEST(QxctlSummary, SaysWhatIsMissing) {
  TempRoot root;
  auto none = test::Run({test::Program("qxctl"), "--root", root.path(), "summary"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_EQ(none.out, "");
  // The suite's box, then where qxctl looked and what starts a service there.
  const std::string& r = root.path();
  EXPECT_EQ(none.err, "Fail to open QXWMECOM.vxd!\nqxctl: no device service serves the machine root " + r +
                          " (looked for " + r + "/run/QXWMECOM)\nqxctl: qxwmecomd --root " + r +
                          " starts one (or qxmachine --root " + r + " boot, the whole machine)\n");

  DeviceService service;
  int rc = -1;
  DeviceService::Qxctl("controller absent", &rc);
  auto absent = test::Run({test::Program("qxctl"), "--root", root.path(), "summary"});
  EXPECT_EQ(absent.exitCode, 3);
  EXPECT_EQ(absent.err, "TouchScreen Controller Not Found!\n");
  DeviceService::Qxctl("controller present", &rc);
  DeviceService::Qxctl("summary", &rc);
  EXPECT_EQ(rc, 0);
}

// A command that only reads, on a root where nothing runs, makes neither the root nor its run/.
TEST(Qxctl, ReadingCommandsWithoutAServiceMakeNoFolder) {
  TempRoot root;
  const std::string absent = root.path() + "/absent";
  for (const char* command : {"summary", "get", "block", "pointer", "journal", "rbf", "smi"}) {
    auto r = test::Run({test::Program("qxctl"), "--root", absent, command});
    EXPECT_EQ(r.exitCode, 2) << command << ": " << r.err;
    EXPECT_FALSE(std::filesystem::exists(absent)) << command;
  }
}

// On a root never booted, a setting for the service's next start makes the device folder as the
// service does; one that cannot be written says why.
TEST(Qxctl, ASettingForTheNextStartIsWrittenIntoANewRootAndAFailureSaysWhy) {
  TempRoot root;
  const std::string fresh = root.path() + "/fresh";
  EXPECT_EQ(test::Run({test::Program("qxctl"), "--root", fresh, "input", "auto"}).exitCode, 0);
  EXPECT_NE(test::ReadFile(fresh + "/device/input.ini").find("Use=auto"), std::string::npos);
  std::filesystem::remove_all(fresh + "/device");
  test::WriteFile(fresh + "/device", "a file where the folder belongs");
  const auto r = test::Run({test::Program("qxctl"), "--root", fresh, "map-to-output", "HDMI-1"});
  EXPECT_NE(r.err.find("cannot write " + fresh + "/device/input.ini: "), std::string::npos) << r.err;
}

// A service that is stopped, or whose backlog is full, fails a command within the device time-out,
// and qxctl says the service did not answer rather than naming some other fault.
TEST(QxctlSummary, AServiceThatDoesNotAnswerFailsWithinTheBound) {
  TempRoot root;
  auto summary = [&](double* seconds) {
    auto start = std::chrono::steady_clock::now();
    auto r = test::Run({test::Program("qxctl"), "--root", root.path(), "summary"}, {"QX_DEVICE_TIMEOUT_MS=300"}, 10000);
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
  };
  double seconds = 0;
  {
    DeviceService service;
    ::kill(service.pid(), SIGSTOP);
    auto stopped = summary(&seconds);
    ::kill(service.pid(), SIGCONT);
    EXPECT_EQ(stopped.exitCode, 4);
    EXPECT_EQ(stopped.err, "qxctl: the device service did not answer\n");
    EXPECT_LT(seconds, 2.0);
  }

  // A listener that never accepts, its backlog filled by connections nobody takes.
  std::string path = RunDir() + "/QXWMECOM";
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  std::vector<int> waiting;
  for (int i = 0; i < 100; ++i) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    waiting.push_back(fd);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) break;
  }
  ASSERT_EQ(errno, EAGAIN) << "the backlog is full";
  auto full = summary(&seconds);
  EXPECT_EQ(full.exitCode, 4);
  EXPECT_EQ(full.err, "qxctl: the device service did not answer\n");
  EXPECT_LT(seconds, 2.0);
  for (int fd : waiting) close(fd);
  close(listener);
}

TEST(Qxctl, FieldsTouchesAndRegistrations) {
  TempRoot root;
  DeviceService service;
  int rc = -1;
  EXPECT_EQ(DeviceService::Qxctl("get PortBase2 PortIrq3 McuVersion"),
            "PortBase2=0x02F8\nPortIrq3=255\nMcuVersion=0x23\n");
  // The suite's own settings beside the block's in one request, kept across a restart.
  EXPECT_EQ(DeviceService::QxctlExit("set SteadyFinger=12 TouchOn=0 Sensitivity=2"), 0);
  EXPECT_EQ(test::Sent("SetFields"), std::vector<std::string>{"SteadyFinger=12 TouchOn=0 Sensitivity=2"});
  // The service takes all the changes of a request or none.
  FieldChanges half{};
  std::snprintf(half.Text, sizeof half.Text, "Sensitivity=3 SteadyFinger=65");
  EXPECT_FALSE(test::AskDevice(IOCTL_SET_FIELDS, half, half));
  EXPECT_EQ(DeviceService::Qxctl("get Sensitivity"), "2\n");
  service.Stop();
  service.Start();
  EXPECT_EQ(DeviceService::Qxctl("get SteadyFinger TouchOn DoubleTap"), "SteadyFinger=12\nTouchOn=0\nDoubleTap=1\n");
  for (const char* refused :
       {"set SpeedH=21x", "set NoSuchField=1", "get NoSuchField", "frobnicate", "set SteadyFinger=65", "touch of"}) {
    DeviceService::Qxctl(refused, &rc);
    EXPECT_EQ(rc, 64) << refused;
  }

  std::string block = DeviceService::Qxctl("block", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(block.rfind("F8 03 04 01 F8 03 04 00", 0), 0u) << block;
  EXPECT_EQ(block.size(), 82u * 3);  // two digits and a space or a line end each

  DeviceService::Qxctl("touch 300 400 --reports 4", &rc);
  EXPECT_EQ(rc, 0);
  DeviceService::Qxctl("lift", &rc);
  std::string journal = DeviceService::Qxctl("journal");
  EXPECT_NE(journal.find("SimTouch X=300 Y=400 Touching=1 Reports=4"), std::string::npos) << journal;
  EXPECT_NE(journal.find("Report X=300 Y=400 Touch=0 Counter=5"), std::string::npos) << journal;
  DeviceService::Qxctl("journal --clear", &rc);
  // The input and output in force, a read that leaves no line in the journal.
  EXPECT_EQ(DeviceService::Qxctl("output").rfind("Input: simulated\nOutput: none", 0), 0u);
  EXPECT_EQ(DeviceService::Qxctl("journal"), "");

  // A choice that cannot be kept is not taken, and qxctl says why: the input and the monitor in
  // force stay, and no monitor is half remembered (a Model of two lines cannot be written).
  MonitorLayout layout{1, -1, {}};
  std::snprintf(layout.Monitors[0].Name, sizeof layout.Monitors[0].Name, "HDMI-1");
  std::snprintf(layout.Monitors[0].Model, sizeof layout.Monitors[0].Model, "two\nlines");
  layout.Monitors[0].Width = 640, layout.Monitors[0].Height = 480;
  ASSERT_TRUE(test::AskDevice(IOCTL_SET_MONITORS, layout, layout));
  const std::string file = MachineRoot() + "/device/input.ini";
  const test::RunResult map = test::Run({test::Program("qxctl"), "--root", MachineRoot(), "map-to-output", "HDMI-1"});
  EXPECT_EQ(map.err, "qxctl: cannot keep HDMI-1 in " + file + ": the monitor in force stays\n");
  EXPECT_EQ(test::ReadFile(file).find("HDMI-1"), std::string::npos);
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  const test::RunResult input = test::Run({test::Program("qxctl"), "--root", MachineRoot(), "input", "auto"});
  EXPECT_EQ(input.exitCode, 1);
  EXPECT_EQ(input.err, "qxctl: cannot write " + file + ": the input in force stays\n");
  EXPECT_EQ(DeviceService::Qxctl("output").rfind("Input: simulated\n", 0), 0u);

  EXPECT_EQ(DeviceService::Qxctl("rbf"), "Window=-1 Armed=0\n");
  DeviceService::Qxctl("smi 5000 2", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(DeviceService::Qxctl("smi"), "Window=5000 RotationCode=2\n");
}

}  // namespace
}  // namespace qx
