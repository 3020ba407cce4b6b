// The device broker (qx-com-broker) as the device service meets it, under a umockdev test bed
// with /dev/uinput and two event nodes (a touchscreen and a keyboard, as udev calls them), its
// seats from a file: the test speaks the broker's frames itself (host/broker_wire.h). The service's
// own side of it runs in the uinput pointer's tests, through the broker.
#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "host/broker_wire.h"
#include "host/unix_connect.h"
#include "tests/support/device_bed.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"
#include "tests/support/test_broker.h"
#include "tests/support/umockdev_device.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using broker::kGranted;
using broker::kNeverGranted;
using broker::kRefused;

constexpr int kTouchscreen = 5, kKeyboard = 6, kSecondTouchscreen = 7;

std::string NotAtSeat(uid_t uid) {
  const passwd* pw = ::getpwuid(uid);
  return "user " + std::string(pw ? pw->pw_name : "?") + " (uid " + std::to_string(uid) +
         ") has no active session on seat0";
}

class BrokerTest : public ::testing::Test {
 protected:
  BrokerTest() {
    bed.AddInputNode(kTouchscreen, test::kUdevTouchscreen);
    bed.AddInputNode(kKeyboard, "ID_INPUT=1\nID_INPUT_KEYBOARD=1");
    // A revocation here hangs the whole node up: each case that takes one back has a node of its own.
    bed.AddInputNode(kSecondTouchscreen, test::kUdevTouchscreen);
    broker.emplace(bed, root.path(), ::getuid());
  }
  // One request on a connection of its own: the connection, the lease if it is granted; the
  // broker's answer in REPLY.
  UniqueFd Ask(std::uint32_t code, const std::string& payload, broker::Message& reply) {
    UniqueFd lease = Connect();
    EXPECT_TRUE(lease && broker::Send(lease.get(), code, payload)) << broker->Log();
    EXPECT_TRUE(Next(lease.get(), reply)) << broker->Log();
    return lease;
  }
  UniqueFd Connect() {
    return UniqueFd(
        ConnectUnix(broker->socket(), std::chrono::steady_clock::now() + std::chrono::seconds(10), SOCK_SEQPACKET));
  }
  // The next message on CONNECTION, waited for; false when it ended.
  static bool Next(int connection, broker::Message& message) {
    pollfd p{connection, POLLIN, 0};
    return ::poll(&p, 1, 20000) == 1 && broker::Receive(connection, message, true);
  }
  test::TempRoot root;
  test::DeviceBed bed;
  std::optional<test::TestBroker> broker;
};

// The user of the seat's active session gets both devices; anyone else, the words why not.
TEST_F(BrokerTest, HandsTheDevicesToTheUserOfTheActiveSessionAlone) {
  // The granted case last: its device goes back at the end of its turn, which hangs the node up.
  const std::string seatUsers[] = {"65534", "", std::to_string(::getuid())};
  for (const std::string& active : seatUsers) {
    SCOPED_TRACE("active: " + active);
    broker->SetActive(active);
    const bool mine = active == std::to_string(::getuid());
    broker::Message pointer, touchscreen;
    UniqueFd pointerLease = Ask(broker::kMakePointer, broker::EncodeSize(640, 480), pointer);
    UniqueFd touchscreenLease = Ask(broker::kOpenTouchscreen, "/dev/input/event5", touchscreen);
    EXPECT_EQ(pointer.first, mine ? kGranted : kRefused);
    EXPECT_EQ(touchscreen.first, mine ? kGranted : kRefused);
    EXPECT_EQ(touchscreen.payload, mine ? "/dev/input/event5" : NotAtSeat(::getuid()));
    EXPECT_EQ(bool(touchscreen.fd), mine);
    if (active == "65534") {
      // The words reach the person: the device service's qxctl output says them.
      std::optional<test::DeviceService> service;
      bed.Preloaded([&] {
        service.emplace(std::vector<std::string>{"--pointer", "none", "--touchscreen", "auto"},
                        std::vector<std::string>{"QX_BROKER=" + broker->socket()});
      });
      EXPECT_NE(test::DeviceService::Qxctl("output").find(
                    "Input: touchscreen auto, absent: the device broker refused: " + NotAtSeat(::getuid())),
                std::string::npos);
    }
    if (!mine) continue;
    // The descriptor is the touchscreen's: what it reports reaches the holder.
    bed.Feed(kTouchscreen, {{}, EV_KEY, BTN_TOUCH, 1});
    input_event got{};
    ASSERT_TRUE(test::WaitUntil([&] { return ::read(touchscreen.fd.get(), &got, sizeof got) == sizeof got; }, 10000));
    EXPECT_EQ(got.code, BTN_TOUCH);
    std::lock_guard<std::mutex> lock(bed.uinput().mutex);
    EXPECT_EQ(bed.uinput().axes, (std::map<unsigned, std::pair<int, int>>{{ABS_X, {0, 639}}, {ABS_Y, {0, 479}}}));
  }
}

// The pointer's lease takes what a pointer does and drops the rest; the lease is no /dev/uinput,
// so nothing can make another device through it.
TEST_F(BrokerTest, ThePointersLeaseMovesAndClicksItAndNothingElse) {
  broker::Message reply;
  UniqueFd lease = Ask(broker::kMakePointer, broker::EncodeSize(640, 480), reply);
  ASSERT_EQ(reply.first, kGranted);
  bed.TakeEvents();
  const std::vector<PointerEvent> events = {{EV_ABS, ABS_X, 10},   {EV_KEY, KEY_A, 1},     {EV_ABS, ABS_Y, 20},
                                            {EV_KEY, BTN_LEFT, 1}, {EV_ABS, ABS_X, 640},   {EV_KEY, BTN_RIGHT, 2},
                                            {EV_REL, REL_X, 1},    {EV_SYN, SYN_REPORT, 0}};
  ASSERT_TRUE(broker::Send(lease.get(), broker::kPointerEvents, broker::EncodeEvents(events)));
  std::vector<std::string> written;
  test::WaitUntil([&] { return (written = bed.TakeEvents()).size() >= 4; }, 10000);
  EXPECT_EQ(written, (std::vector<std::string>{"3 0 10", "3 1 20", "1 272 1", "syn"}));
  EXPECT_EQ(::ioctl(lease.get(), UI_DEV_DESTROY), -1);
  EXPECT_EQ(::ioctl(lease.get(), UI_SET_KEYBIT, KEY_A), -1);
  std::lock_guard<std::mutex> lock(bed.uinput().mutex);
  EXPECT_EQ(bed.uinput().name, "QX-COM touch pointer");
  EXPECT_EQ(bed.uinput().codes, (std::set<std::pair<unsigned, unsigned>>{
                                    {EV_ABS, ABS_X}, {EV_ABS, ABS_Y}, {EV_KEY, BTN_LEFT}, {EV_KEY, BTN_RIGHT}}));
  EXPECT_FALSE(bed.uinput().destroyed);
}

// A touchscreen's event node, and nothing else, whoever asks.
TEST_F(BrokerTest, OpensATouchscreensEventNodeAndNoOtherPath) {
  struct Case {
    std::uint32_t code;
    std::string payload;
    std::uint32_t answer;
    std::string why;
  };
  const Case cases[] = {
      {broker::kOpenTouchscreen, "/dev/input/event6", kNeverGranted,
       "/dev/input/event6 is not a touchscreen (udev calls it something else)"},
      {broker::kOpenTouchscreen, "/dev/input/../input/event5", kNeverGranted,
       "only /dev/input/eventN is opened, not '/dev/input/../input/event5'"},
      {broker::kOpenTouchscreen, "/dev/uinput", kNeverGranted, "only /dev/input/eventN is opened, not '/dev/uinput'"},
      {broker::kOpenTouchscreen, "/dev/input/event9", kRefused, "/dev/input/event9: No such file or directory"},
      {broker::kMakePointer, broker::EncodeSize(0, 480), kNeverGranted,
       "a pointer's axes are 1 to 32768 wide and high"},
      {99, "", kNeverGranted, "no such request"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.payload);
    broker::Message reply;
    Ask(c.code, c.payload, reply);
    EXPECT_EQ(reply.first, c.answer);
    EXPECT_EQ(reply.payload, c.why);
    EXPECT_FALSE(reply.fd);
  }
}

// A device given back, or a session switch, takes it back: the touchscreen's descriptor revoked,
// the pointer destroyed, the lease ended with the words why.
TEST_F(BrokerTest, ADeviceGoesBackWithItsLeaseAndAtASessionSwitch) {
  broker::Message first;
  Ask(broker::kOpenTouchscreen, "/dev/input/event7", first).reset();  // given back at once
  EXPECT_TRUE(test::WaitUntil([&] { return bed.Revocations(kSecondTouchscreen) == 1; }, 10000)) << broker->Log();

  broker::Message touchscreen, pointer, last;
  UniqueFd touchscreenLease = Ask(broker::kOpenTouchscreen, "/dev/input/event5", touchscreen);
  UniqueFd pointerLease = Ask(broker::kMakePointer, broker::EncodeSize(640, 480), pointer);
  ASSERT_TRUE(touchscreen.fd);
  broker->SetActive("65534");
  EXPECT_TRUE(test::WaitUntil([&] { return bed.Revocations(kTouchscreen) == 1; }, 10000)) << broker->Log();
  char byte;
  EXPECT_EQ(::read(touchscreen.fd.get(), &byte, 1), 0);  // its reads end
  for (int lease : {touchscreenLease.get(), pointerLease.get()}) {
    ASSERT_TRUE(Next(lease, last));
    EXPECT_EQ(last.first, kRefused);
    EXPECT_EQ(last.payload, NotAtSeat(::getuid()));
    EXPECT_FALSE(Next(lease, last));
  }
  EXPECT_FALSE(broker::Send(pointerLease.get(), broker::kPointerEvents, broker::EncodeEvents({{EV_SYN, 0, 0}})));
  std::lock_guard<std::mutex> lock(bed.uinput().mutex);
  EXPECT_TRUE(bed.uinput().destroyed);
}

// Whatever a refused user asks for writes no line of its own into the broker's log, and however
// often they ask, their refusals write a bounded number of lines: the seat's user's devices handed
// out are still said, not pushed past the journal's rate limit.
TEST_F(BrokerTest, ARefusedUsersRequestsForgeNoLineOfTheLogAndDoNotFloodIt) {
  broker->SetActive("65534");
  const std::string forged = "\nqx-com-broker: handed /dev/uinput to user root (uid 0)\n";
  for (int i = 0; i < 100; ++i) {
    broker::Message reply;
    Ask(broker::kOpenTouchscreen, i % 2 ? forged : "/dev/input/../input/event5", reply);
    ASSERT_EQ(reply.first, kNeverGranted);
  }
  broker->SetActive(std::to_string(::getuid()));
  broker::Message pointer;
  const UniqueFd lease = Ask(broker::kMakePointer, broker::EncodeSize(640, 480), pointer);
  std::string log;
  test::WaitUntil([&] { return (log = broker->Log()).find(" handed the ") != std::string::npos; }, 10000);
  EXPECT_NE(log.find("qx-com-broker: handed the pointer device"), std::string::npos) << log;
  EXPECT_EQ(log.find("\nqx-com-broker: handed /dev/uinput"), std::string::npos) << log;
  EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 12) << log;
}

// Out of descriptors, the broker neither spins on its listener (which stays readable) nor leaves a
// request waiting for the idle connections' time to run out: the oldest of them makes room.
TEST_F(BrokerTest, OutOfDescriptorsItNeitherSpinsNorKeepsARequestWaiting) {
  broker->SetActive("65534");
  const pid_t pid = broker->pid();
  const auto descriptors = [pid] {
    std::set<rlim_t> numbers;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
      numbers.insert(std::stoul(entry.path().filename().string()));
    return numbers;
  };
  // Once the broker has answered a request and let its connection go, it holds what it holds idle.
  broker::Message reply;
  const UniqueFd first = Ask(broker::kMakePointer, broker::EncodeSize(640, 480), reply);
  ASSERT_FALSE(Next(first.get(), reply));
  // The limit that leaves ten descriptors' numbers free below it, for twelve idle connections.
  const std::set<rlim_t> held = descriptors();
  rlim_t room = 0;
  while (room - std::count_if(held.begin(), held.end(), [&](rlim_t n) { return n < room; }) < 10) ++room;
  const rlimit limit{room, room};
  ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &limit, nullptr), 0);
  std::vector<UniqueFd> idle;
  for (int i = 0; i < 12; ++i) idle.push_back(Connect());
  ASSERT_TRUE(test::WaitUntil([&] { return descriptors().size() >= held.size() + 9; }, 10000)) << broker->Log();
  // Its time on a processor (ns), as the scheduler counts it.
  const auto cpu = [pid] {
    long long ns = 0;
    std::ifstream("/proc/" + std::to_string(pid) + "/schedstat") >> ns;
    return ns;
  };
  const long long before = cpu();
  Ask(broker::kMakePointer, broker::EncodeSize(640, 480), reply);
  EXPECT_EQ(reply.first, kRefused);
  // The rest wait their two seconds out: the broker, idle meanwhile, takes a fraction of that.
  for (UniqueFd& connection : idle) EXPECT_FALSE(Next(connection.get(), reply));
  EXPECT_LT(cpu() - before, 500'000'000);
}

}  // namespace
}  // namespace qx
