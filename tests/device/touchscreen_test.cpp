// The live path without hardware: the service started by umockdev-run with a touchscreen of the
// test's own (an evemu description and recorded events), read by the unchanged libevdev reader. A
// tap and a drag through a single-touch and a multi-touch device, the reports and pointer positions
// in the journal; the device file removed and put back; a path that is not a touchscreen.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "core/driver_link.h"
#include "device/pointer_mapping.h"
#include "host/machine_root.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_device.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TestTouchscreen;
using test::TouchRecording;

constexpr char kNode[] = "/dev/input/event5";
// The calibration the service runs with: every report's pointer position is checked under it.
constexpr char kCalibration[] =
    "CalibrationData=40,520,990,20,500,1000 CalibrationFlags=1 ScreenWidth=800 ScreenHeight=600";

// The journal's reports, without the repeats of a resting touch: "x,y,touch pointerX,pointerY".
std::vector<std::string> Reports() {
  std::vector<std::string> out;
  for (const test::JournalReport& r : test::JournalReports(true))
    out.push_back(std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.touch) + " " +
                  std::to_string(r.pointerX) + "," + std::to_string(r.pointerY));
  return out;
}

class LiveTouchscreen : public ::testing::Test {
 protected:
  void SetUp() override {
    // The calibration is kept by a first service, which the one under umockdev loads.
    DeviceService plain;
    DeviceService::Qxctl(std::string("set ") + kCalibration);
    ASSERT_TRUE(OpenDriver());
    GetSettings();
    block_ = Settings;
    CloseDriver();
  }
  void TearDown() override {
    if (pid_ > 0) test::KillAndWait(pid_, SIGTERM);
  }

  // The service under umockdev-run with DEVICE at kNode playing RECORDING's events, told to read
  // TOUCHSCREEN (kNode, or auto), with the shell's words BEFORE ahead of it.
  void Start(const TestTouchscreen& device, const TouchRecording& recording, const std::string& touchscreen = kNode,
             const std::string& before = "") {
    const std::string dir = root_.path();
    test::WriteFile(dir + "/panel.desc", test::Description(device));
    test::WriteFile(dir + "/panel.events", recording.Events());
    std::string why;
    ASSERT_TRUE(test::WriteUmockdevDevice(dir + "/panel.desc", kNode, dir + "/panel", why)) << why;
    // The shell tells where umockdev keeps its /dev, then becomes the service.
    const std::string service = "echo \"$UMOCKDEV_DIR\" > '" + dir + "/umockdev.dir'; " + before + "exec '" +
                                test::Program("qxwmecomd") + "' --root '" + dir + "' --touchscreen " + touchscreen;
    pid_ = test::Spawn(test::UmockdevRun(dir + "/panel", kNode, dir + "/panel.events", {"/bin/sh", "-c", service}),
                       dir + "/service.log");
    // Answered, the controller there or not (exit 3: a device failing from the start).
    ASSERT_TRUE(test::WaitUntil([] { return DeviceService::QxctlExit("summary") % 3 == 0; }, 10000, 20))
        << test::ReadFile(dir + "/service.log");
  }

  // The report and pointer position the service makes for device values (VX, VY) of DEVICE.
  std::string Expected(const TestTouchscreen& d, int vx, int vy, int touch) const {
    const int x = static_cast<int>(std::lround((vx - d.minX) * 1023.0 / (d.maxX - d.minX)));
    const int y = static_cast<int>(std::lround((vy - d.minY) * 1023.0 / (d.maxY - d.minY)));
    const ScreenPoint p = MapRawToScreen(block_, x, y);
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(touch) + " " + std::to_string(p.x) + "," +
           std::to_string(p.y);
  }
  // Where `qxctl pointer` says the pointer is after a report at (VX, VY).
  std::string Pointer(const TestTouchscreen& d, int vx, int vy) const {
    const std::string report = Expected(d, vx, vy, 0);
    std::string pointer = report.substr(report.find(' ') + 1);
    pointer[pointer.find(',')] = ' ';
    return pointer + "\n";
  }

  // Where umockdev keeps the device file the service opens.
  std::string DeviceFile() const {
    std::string dir = test::ReadFile(root_.path() + "/umockdev.dir");
    dir.erase(dir.find_last_not_of('\n') + 1);
    return dir + kNode;
  }

  test::TempRoot root_;
  SettingsBlock block_{};
  pid_t pid_ = -1;
};

const TestTouchscreen kDevices[] = {
    {"QX Test Single Touch", 0, 4095, 100, 2147, 0},
    {"QX Test Multi Touch", -300, 9299, 0, 1199, 5},
};

class TapAndDrag : public LiveTouchscreen, public ::testing::WithParamInterface<TestTouchscreen> {};

TEST_P(TapAndDrag, ReportsAndPointerFollowTheDevice) {
  const TestTouchscreen d = GetParam();
  const auto at = [&](double fx, double fy) {
    return std::pair{static_cast<int>(d.minX + fx * (d.maxX - d.minX)),
                     static_cast<int>(d.minY + fy * (d.maxY - d.minY))};
  };
  TouchRecording rec(d);
  rec.Hold(0);  // the events begin once the service reads the device
  const auto tap = at(0.1, 0.9);
  rec.Down(300000, tap.first, tap.second);
  rec.Up(340000);
  std::vector<std::string> expected = {Expected(d, tap.first, tap.second, 1), Expected(d, tap.first, tap.second, 0)};
  std::pair<int, int> drag;
  for (int step = 0; step <= 5; ++step) {
    drag = at(0.2 + 0.12 * step, 0.25 + 0.1 * step);
    if (step == 0) rec.Down(500000, drag.first, drag.second);
    else rec.Move(500000 + 20000 * step, drag.first, drag.second);
    expected.push_back(Expected(d, drag.first, drag.second, 1));
  }
  rec.Up(650000);
  expected.push_back(Expected(d, drag.first, drag.second, 0));
  // The multi-touch device is found by looking for it.
  Start(d, rec, d.contacts ? "auto" : kNode);
  ASSERT_TRUE(test::WaitUntil([&] { return Reports().size() >= expected.size(); }, 10000, 20));
  EXPECT_EQ(Reports(), expected);
  EXPECT_EQ(DeviceService::Qxctl("pointer"), Pointer(d, drag.first, drag.second));
  // qxctl output names the input in force, and the export the device.
  const std::string axes = "X " + std::to_string(d.minX) + ".." + std::to_string(d.maxX) + ", Y " +
                           std::to_string(d.minY) + ".." + std::to_string(d.maxY);
  EXPECT_EQ(DeviceService::Qxctl("output").substr(0, DeviceService::Qxctl("output").find('\n')),
            "Input: " + d.name + " (" + kNode + "), " + axes +
                (d.contacts ? ", " + std::to_string(d.contacts) + " contacts" : ""));
  EXPECT_NE(DeviceService::Qxctl("export-calibration xinput").find("xinput set-prop \"" + d.name + "\""),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Devices, TapAndDrag, ::testing::ValuesIn(kDevices));

// A panel without slots (protocol A), touched by two fingers, its second listed first: the first
// finger is followed by its place, the touch ends when it lifts, and the second is ignored.
TEST_F(LiveTouchscreen, AProtocolAPanelFollowsItsFirstFingerAlone) {
  const TestTouchscreen d{"QX Test Protocol A", 0, 4095, 0, 4095, 2, true, TestTouchscreen::Kind::kTouchscreen, true};
  TouchRecording rec(d);
  rec.Hold(0);
  rec.Down(300000, 1000, 1000, 0);
  rec.Down(320000, 3000, 3000, 1);
  rec.Move(340000, 1100, 1000, 0);
  rec.Up(360000, 0);
  rec.Move(380000, 3100, 3000, 1);
  rec.Up(400000, 1);
  rec.Down(420000, 2000, 500, 0);  // every finger was off: a touch of its own
  rec.Up(440000, 0);
  Start(d, rec);
  // The frame the second finger lands in repeats the first's place, as Reports() leaves out.
  const std::vector<std::string> expected = {Expected(d, 1000, 1000, 1), Expected(d, 1100, 1000, 1),
                                             Expected(d, 1100, 1000, 0), Expected(d, 2000, 500, 1),
                                             Expected(d, 2000, 500, 0)};
  ASSERT_TRUE(test::WaitUntil([&] { return Reports().size() >= expected.size(); }, 10000, 20))
      << test::ReadFile(root_.path() + "/service.log");
  EXPECT_EQ(Reports(), expected);
}

TEST_F(LiveTouchscreen, UnpluggedTheControllerReadsAsAbsentAndComesBackWithTheDevice) {
  const TestTouchscreen d = kDevices[1];
  TouchRecording rec(d);
  rec.Hold(0);
  rec.Down(300000, 1000, 200);
  rec.Up(350000);
  // Long after the device is back: a touch of its own.
  rec.Down(6000000, 8000, 1000);
  rec.Up(6050000);
  Start(d, rec);
  ASSERT_TRUE(test::WaitUntil([] { return Reports().size() == 2; }, 10000, 20));
  const std::string file = DeviceFile();
  const std::filesystem::path target = std::filesystem::read_symlink(file);
  std::filesystem::remove(file);
  EXPECT_TRUE(test::WaitUntil([] { return DeviceService::QxctlExit("summary") == 3; }, 10000, 20))
      << "the controller should read as absent";
  DeviceService::Qxctl("journal --clear");
  std::filesystem::create_symlink(target, file);
  EXPECT_TRUE(test::WaitUntil([] { return DeviceService::QxctlExit("summary") == 0; }, 10000, 20))
      << "the controller should be back";
  ASSERT_TRUE(test::WaitUntil([] { return Reports().size() == 2; }, 10000, 20));
  EXPECT_EQ(Reports(), (std::vector<std::string>{Expected(d, 8000, 1000, 1), Expected(d, 8000, 1000, 0)}));
}

// A touchscreen whose reads fail (not one unplugged) is tried again less and less often, and said
// to fail once: not closed, opened again and said twice a second for as long as it fails.
TEST_F(LiveTouchscreen, AFailingDeviceIsTriedAgainLessOftenAndSaidOnce) {
  TouchRecording rec(kDevices[0]);
  rec.Hold(0);
  rec.Down(300000, 1000, 200);
  rec.Up(350000);
  const std::string log = root_.path() + "/opens.log", said = root_.path() + "/service.log";
  Start(kDevices[0], rec, kNode,
        "export LD_PRELOAD=\"" + test::Program("libqx-failing-reads.so") + ":$LD_PRELOAD\" QX_FAILING_NODE=" + kNode +
            " QX_FAILING_LOG='" + log + "'; ");
  std::vector<long long> opens;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        opens.clear();
        std::istringstream lines(test::ReadFile(log));
        for (long long ms; lines >> ms;) opens.push_back(ms);
        return opens.size() >= 4;
      },
      20000));
  // Each pause twice the one before, from half a second: never sooner, however busy the machine.
  for (std::size_t k = 1; k < opens.size(); ++k)
    EXPECT_GE(opens[k] - opens[k - 1], 500LL << (k - 1)) << "opening " << k;
  const std::string text = test::ReadFile(said);
  EXPECT_EQ(text.find("Input/output error"), text.rfind("Input/output error")) << text;
  EXPECT_NE(text.find("Input/output error"), std::string::npos) << text;
}

TEST(Touchscreen, APathThatIsNoTouchscreenIsRefusedAtStart) {
  test::TempRoot root;
  const test::RunResult r =
      test::Run({test::Program("qxwmecomd"), "--root", root.path(), "--touchscreen", "/dev/null"}, {}, 10000);
  EXPECT_EQ(r.exitCode, 65);
  EXPECT_NE(r.err.find("/dev/null is not an input event device"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qx
