// Touches reach the kernel's uinput: the device service with `--pointer uinput`, run under
// umockdev's preload so that its unchanged libevdev code finds a /dev/uinput whose ioctls and
// writes this test answers and records, as the kernel would take them.

// clang-format off: before GLib's headers, which make TRUE and FALSE macros.
#include "core/driver_records.h"
#include "tests/support/device_request.h"
// clang-format on

#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <umockdev.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using namespace std::chrono_literals;
using test::DeviceService;

// What the service made of /dev/uinput: the device it set up and every event it wrote.
struct UinputRecord {
  std::mutex mutex;
  std::string name;
  std::set<std::pair<unsigned, unsigned>> codes;  // EV_KEY and EV_ABS codes enabled
  std::map<unsigned, std::pair<int, int>> axes;   // ABS code: minimum, maximum
  bool created = false;
  std::vector<input_event> events;
};

// An ioctl's pointer argument, LEN bytes of the caller's memory (written back on completion).
std::uint8_t* Pointed(UMockdevIoctlClient* client, std::size_t len) {
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, len, nullptr);
  return data ? data->data : nullptr;
}

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& r = *static_cast<UinputRecord*>(user);
  std::lock_guard<std::mutex> lock(r.mutex);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  unsigned long value = 0;
  std::memcpy(&value, umockdev_ioctl_client_get_arg(client)->data, sizeof value);
  if (request == UI_GET_VERSION) {
    const unsigned version = 5;  // the kernel's UI_DEV_SETUP interface
    std::memcpy(Pointed(client, sizeof version), &version, sizeof version);
  } else if (request == UI_SET_KEYBIT || request == UI_SET_ABSBIT) {
    r.codes.insert({request == UI_SET_KEYBIT ? EV_KEY : EV_ABS, static_cast<unsigned>(value)});
  } else if (request == UI_ABS_SETUP) {
    const auto* setup = reinterpret_cast<const uinput_abs_setup*>(Pointed(client, sizeof(uinput_abs_setup)));
    r.axes[setup->code] = {setup->absinfo.minimum, setup->absinfo.maximum};
  } else if (request == UI_DEV_SETUP) {
    r.name = reinterpret_cast<const uinput_setup*>(Pointed(client, sizeof(uinput_setup)))->name;
  } else if (request == UI_DEV_CREATE) {
    r.created = true;
  } else if (_IOC_NR(request) == _IOC_NR(UI_GET_SYSNAME(0)) && _IOC_TYPE(request) == UINPUT_IOCTL_BASE) {
    std::memcpy(Pointed(client, 8), "input42", 8);
  }
  umockdev_ioctl_client_complete(client, 0, 0);
  return TRUE;
}

gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& r = *static_cast<UinputRecord*>(user);
  UMockdevIoctlData* data = umockdev_ioctl_client_get_arg(client);
  std::lock_guard<std::mutex> lock(r.mutex);
  for (int at = 0; at + static_cast<int>(sizeof(input_event)) <= data->data_len; at += sizeof(input_event)) {
    input_event e;
    std::memcpy(&e, data->data + at, sizeof e);
    r.events.push_back(e);
  }
  umockdev_ioctl_client_complete(client, data->data_len, 0);
  return TRUE;
}

// The events written as "type code value" words, SYN_REPORT as "syn".
std::vector<std::string> Words(const std::vector<input_event>& events) {
  std::vector<std::string> out;
  for (const input_event& e : events) {
    if (e.type == EV_SYN) out.push_back("syn");
    else out.push_back(std::to_string(e.type) + " " + std::to_string(e.code) + " " + std::to_string(e.value));
  }
  return out;
}

class UinputPointerTest : public ::testing::Test {
 protected:
  UinputPointerTest() : testbed(umockdev_testbed_new()), handler(umockdev_ioctl_base_new()) {
    EXPECT_TRUE(umockdev_testbed_add_from_string(
        testbed,
        "P: /devices/virtual/misc/uinput\nN: uinput\nE: SUBSYSTEM=misc\nE: DEVNAME=/dev/uinput\nA: dev=10:223\n",
        nullptr));
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnIoctl), &record);
    g_signal_connect(handler, "handle-write", G_CALLBACK(OnWrite), &record);
    EXPECT_TRUE(umockdev_testbed_attach_ioctl(testbed, "/dev/uinput", handler, nullptr));
    // The service alone runs in the test bed (UMOCKDEV_DIR is the test bed's), under its preload.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanBefore = asan ? asan : "";
    setenv("LD_PRELOAD", "libumockdev-preload.so.0", 1);
    setenv("ASAN_OPTIONS", (asanBefore + ":verify_asan_link_order=0").c_str(), 1);
    service.emplace(std::vector<std::string>{"--pointer", "uinput"});
    unsetenv("LD_PRELOAD");
    if (asan) setenv("ASAN_OPTIONS", asanBefore.c_str(), 1);
    else unsetenv("ASAN_OPTIONS");
  }
  ~UinputPointerTest() override {
    service.reset();
    g_object_unref(handler);
    g_object_unref(testbed);
  }
  std::vector<std::string> TakeEvents() {
    std::this_thread::sleep_for(100ms);
    std::lock_guard<std::mutex> lock(record.mutex);
    std::vector<std::string> words = Words(record.events);
    record.events.clear();
    return words;
  }

  test::TempRoot root;
  UMockdevTestbed* testbed;
  UMockdevIoctlBase* handler;
  UinputRecord record;
  std::optional<DeviceService> service;
};

TEST_F(UinputPointerTest, TheServiceMakesAnAbsolutePointerAndWritesEachTouchToIt) {
  EXPECT_EQ(DeviceService::Qxctl("output"), "Input: simulated\nOutput: uinput (QX-COM touch pointer)\n");
  {
    std::lock_guard<std::mutex> lock(record.mutex);
    EXPECT_TRUE(record.created);
    EXPECT_EQ(record.name, "QX-COM touch pointer");
    EXPECT_EQ(record.codes, (std::set<std::pair<unsigned, unsigned>>{
                                {EV_ABS, ABS_X}, {EV_ABS, ABS_Y}, {EV_KEY, BTN_LEFT}, {EV_KEY, BTN_RIGHT}}));
    // The axes span the screen the touches map to: the block's 1024 × 768.
    EXPECT_EQ(record.axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 1023}}, {ABS_Y, {0, 767}}}));
  }
  DeviceService::Qxctl("set TouchMode=1 SoundMode=1");
  TakeEvents();
  // A press at raw 200, 400 (pixel 200, 300), a move to 1023, 1023 (1023, 767), a lift there.
  ASSERT_TRUE(test::PressFinger(200, 400));
  ASSERT_TRUE(test::PressFinger(1023, 1023));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 200", "3 1 300", "syn", "1 272 1", "syn", "3 0 1023",
                                                    "3 1 767", "syn", "1 272 0", "syn"}));
  // The armed right button: a right click where the finger lands, nothing at its lift.
  ASSERT_TRUE(test::ArmRightButton());
  ASSERT_TRUE(test::PressFinger(0, 0));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 0", "3 1 0", "syn", "1 273 1", "syn", "1 273 0", "syn"}));
  // A touch where the last one left the pointer: the kernel drops a value that does not change, so
  // the position goes through a step beside it, and the compositor still puts the pointer there.
  ASSERT_TRUE(test::PressFinger(0, 0));
  ASSERT_TRUE(test::LiftFinger());
  EXPECT_EQ(TakeEvents(),
            (std::vector<std::string>{"3 0 1", "3 0 0", "3 1 0", "syn", "1 272 1", "syn", "1 272 0", "syn"}));
}

// Compositors stretch an absolute pointer over every monitor: a touchscreen on the right-hand
// monitor of two has its touches at that monitor's share of axes made over the whole desktop.
TEST_F(UinputPointerTest, OnTheSecondOfTwoMonitorsATouchIsItsShareOfTheWholeDesktop) {
  MonitorLayout layout{2, -1, {}};
  layout.Monitors[0] = {"DP-1", "", "", "", 0, 0, 1920, 1080, 0, 0, 0, 1, 0};
  layout.Monitors[1] = {"HDMI-1", "", "", "", 1920, 0, 1280, 1024, 0, 0, 0, 0, 0};
  ASSERT_TRUE(test::AskDevice(IOCTL_SIM_SET_MONITORS, layout, layout));
  DeviceService::Qxctl("map-to-output HDMI-1");
  DeviceService::Qxctl("set TouchMode=0 SoundMode=1 CalibrationData=0,512,1023,0,512,1023 CalibrationFlags=0");
  TakeEvents();
  ASSERT_TRUE(test::PressFinger(1023, 512));  // the monitor's right edge, half way down: 1279, 512
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"3 0 3199", "3 1 512", "syn"}));
  std::lock_guard<std::mutex> lock(record.mutex);
  EXPECT_EQ(record.axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 3199}}, {ABS_Y, {0, 1079}}}));
}

}  // namespace
}  // namespace qx
