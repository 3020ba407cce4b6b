// The device service under floods: what a client that piles up requests can make it hold, and
// how long a well-behaved client waits meanwhile.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/driver_records.h"
#include "host/device_file.h"
#include "host/device_frame.h"
#include "host/machine_root.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using Clock = std::chrono::steady_clock;

// A record's bytes, as a request's payload.
template <typename Record>
std::vector<std::uint8_t> Bytes(const Record& record) {
  const auto* at = reinterpret_cast<const std::uint8_t*>(&record);
  return std::vector<std::uint8_t>(at, at + sizeof record);
}

// COUNT requests of CODE with PAYLOAD, all in one write, the replies never read.
int Flood(std::uint32_t code, const std::vector<std::uint8_t>& payload, int count) {
  int fd = test::DeviceService::ConnectRaw();
  std::vector<std::uint8_t> one = frame::Encode(code, payload.data(), static_cast<std::uint32_t>(payload.size()));
  std::vector<std::uint8_t> all;
  for (int i = 0; i < count; ++i) all.insert(all.end(), one.begin(), one.end());
  EXPECT_EQ(send(fd, all.data(), all.size(), MSG_NOSIGNAL), static_cast<ssize_t>(all.size()));
  return fd;
}

// Waits for the reply to the one request sent on FD, and takes it.
void AwaitReply(int fd) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  std::uint8_t header[frame::kHeaderSize];
  ASSERT_TRUE(frame::ReceiveAll(fd, header, sizeof header, deadline));
  std::vector<std::uint8_t> rest(frame::GetU32(header + 4));
  ASSERT_TRUE(frame::ReceiveAll(fd, rest.data(), rest.size(), deadline));
}

// Fills the journal to its 20 000 lines with one simulated touch, and waits until it is full.
void FillTheJournal() {
  int filler = Flood(IOCTL_SIM_TOUCH, Bytes(SimTouch{100, 200, 1, 0, 20000}), 1);
  AwaitReply(filler);
  close(filler);
}

// The service's resident memory (FIELD "VmRSS:"), or its peak so far ("VmHWM:"), in KiB.
long MemoryKiB(pid_t pid, const std::string& field = "VmHWM:") {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
  return -1;
}

struct Latencies {
  double medianMs = 0;
  double worstMs = 0;
};

// COUNT GetSettings round trips of a client that reads its replies, on one handle or, as COUNT
// suite programs starting one after another, each on a handle of its own; every one must succeed.
Latencies TimeRequests(int count, bool handleEach = false) {
  HANDLE h = INVALID_HANDLE_VALUE;
  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    SettingsBlock block{};
    DWORD n = 0;
    auto start = Clock::now();
    if (i == 0 || handleEach) {
      CloseHandle(h);
      h = CreateFileA("\\\\.\\QXWMECOM", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0x80, 0);
    }
    BOOL ok = DeviceIoControl(h, IOCTL_GET_SETTINGS, &block, sizeof block, &block, sizeof block, &n, nullptr);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    EXPECT_TRUE(ok) << "request " << i;
    if (!ok) break;
  }
  CloseHandle(h);
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

// The waits below are the normal build's; a sanitizer build does the same work several times
// slower, and is held to the same rule with that room. It also keeps freed memory aside for a
// while: there the resident size says nothing.
#if defined(QX_SANITIZED_BUILD)
constexpr double kSlower = 4.0;
constexpr bool kResidentSizeTells = false;
#else
constexpr double kSlower = 1.0;
constexpr bool kResidentSizeTells = true;
#endif
// The worst single wait of a well-behaved client during a flood. Unbounded, it was seconds; on a
// shared machine running the tests in parallel, one wait in two hundred has reached 104 ms with
// nothing wrong, so the bound sits well above that and well below the fault.
constexpr double kWorstWaitMs = 500.0;

// Clients beside a suite program: each thread loops until they fall quiet, the connections stay
// until the end.
struct Neighbours {
  std::vector<int> fds;
  std::vector<std::jthread> threads;
  void Quiet() {
    for (std::jthread& t : threads) t.request_stop();
    threads.clear();
  }
  ~Neighbours() {
    Quiet();
    for (int fd : fds) close(fd);
  }
};

// Two hundred clients reading the whole journal (about 2 MB) in a loop.
void JournalReaders(Neighbours& n) {
  const std::vector<std::uint8_t> read = frame::Encode(IOCTL_SIM_READ_JOURNAL, nullptr, 0);
  for (int c = 0; c < 200; ++c)
    n.threads.emplace_back([fd = n.fds.emplace_back(test::DeviceService::ConnectRaw()), read](std::stop_token quiet) {
      while (!quiet.stop_requested() && send(fd, read.data(), read.size(), MSG_NOSIGNAL) > 0) AwaitReply(fd);
    });
}

// Three hundred connections that send nothing.
void IdleConnections(Neighbours& n) {
  for (int c = 0; c < 300; ++c) n.fds.push_back(test::DeviceService::ConnectRaw());
}

// Connections that come and go as fast as they can, each with a header announcing too large a
// request, or a few bytes of one.
void JunkConnections(Neighbours& n) {
  n.threads.emplace_back([](std::stop_token quiet) {
    for (std::uint8_t junk[8] = {0, 0x20, 0x0F, 0, 0xFF, 0xFF, 0xFF, 0x7F}; !quiet.stop_requested(); ++junk[0]) {
      const int fd = test::DeviceService::ConnectRaw();
      send(fd, junk, junk[0] % 2 ? sizeof junk : 1 + junk[0] % 7, MSG_NOSIGNAL | MSG_DONTWAIT);
      close(fd);
    }
  });
}

// One process opening connections as fast as it can, each sending a whole journal read and hanging
// up without reading the reply.
void HangUpFlood(Neighbours& n) {
  n.threads.emplace_back([](std::stop_token quiet) {
    const std::vector<std::uint8_t> read = frame::Encode(IOCTL_SIM_READ_JOURNAL, nullptr, 0);
    while (!quiet.stop_requested()) {
      const int fd = test::DeviceService::ConnectRaw();
      send(fd, read.data(), read.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      close(fd);
    }
  });
}

struct NeighbourCase {
  const char* what;
  void (*start)(Neighbours&);
};

const NeighbourCase kNeighbourCases[] = {
    {"two hundred clients reading the journal in a loop", JournalReaders},
    {"three hundred idle connections", IdleConnections},
    {"a loop of junk connections", JunkConnections},
    {"a flood of journal reads whose senders hang up", HangUpFlood},
};

class ServiceBoundsTest : public ::testing::Test {
 protected:
  test::TempRoot root;
  test::DeviceService service;
};

// Journal reads of a full journal (about 2 MB each) piled up by clients that never read: the
// service holds a bounded number of replies and stops reading those clients meanwhile.
TEST_F(ServiceBoundsTest, AJournalFloodKeepsMemoryBoundedAndOthersAnswered) {
  FillTheJournal();
  std::vector<int> flooders;
  for (int c = 0; c < 3; ++c) flooders.push_back(Flood(IOCTL_SIM_READ_JOURNAL, {}, 200));
  Latencies during = TimeRequests(200);
  long peak = MemoryKiB(service.pid());
  std::printf("GetSettings during the flood: median %.3f ms, worst %.3f ms; service peak %ld KiB\n", during.medianMs,
              during.worstMs, peak);
  // The worst wait is one journal read's work (a few milliseconds) plus whatever a shared machine
  // adds; unbounded, it was seconds.
  EXPECT_LT(during.medianMs, 5.0 * kSlower);
  EXPECT_LT(during.worstMs, kWorstWaitMs * kSlower);
  EXPECT_LT(peak, 128 * 1024) << "KiB at the peak";

  // A flooder that reads gets every reply, in order, whole.
  std::vector<std::uint8_t> buffer(8);
  ASSERT_TRUE(frame::ReceiveAll(flooders[0], buffer.data(), 8, Clock::now() + std::chrono::seconds(5)));
  EXPECT_EQ(frame::GetU32(buffer.data()), 1u);
  EXPECT_GT(frame::GetU32(buffer.data() + 4), 1000000u) << "the whole journal";
  for (int fd : flooders) close(fd);
}

// Suite programs start one after another (open, GetSettings, close) beside each kind of neighbour:
// each is answered promptly, and the service's memory is back near where it was once they sit idle.
TEST_F(ServiceBoundsTest, ASuiteProgramIsAnsweredWhateverItsNeighboursDo) {
  FillTheJournal();
  for (const NeighbourCase& row : kNeighbourCases) {
    const long base = MemoryKiB(service.pid(), "VmRSS:");
    Neighbours neighbours;
    row.start(neighbours);
    const Latencies starts = TimeRequests(100, true);
    neighbours.Quiet();
    long idle = 0;
    // Their threads and a few requests' room, not the replies they were sent.
    const auto back = [&] { return (idle = MemoryKiB(service.pid(), "VmRSS:")) - base <= 32 * 1024; };
    EXPECT_TRUE(test::WaitUntil(back, 10000, 50) || !kResidentSizeTells)
        << row.what << ": " << idle - base << " KiB more";
    std::printf("beside %s: median %.3f ms, worst %.3f ms; resident %ld KiB, then %ld KiB once they sat idle\n",
                row.what, starts.medianMs, starts.worstMs, base, idle);
    EXPECT_LT(starts.medianMs, 250.0 * kSlower) << row.what;  // the suite's requests' bound
  }
}

// Simulated touches with the largest report count, a thousand in one write: each costs bounded
// work, and the other clients are served between them.
TEST_F(ServiceBoundsTest, ATouchFloodDoesNotStallOthers) {
  int flooder = Flood(IOCTL_SIM_TOUCH, Bytes(SimTouch{300, 400, 1, 0, 65535}), 1000);
  Latencies during = TimeRequests(200);
  std::printf("GetSettings during the touch flood: median %.3f ms, worst %.3f ms\n", during.medianMs, during.worstMs);
  // A request waits for the turn in progress, at most 2 ms of touches, and its own: a few
  // milliseconds as a rule, with room for a shared machine (and a sanitizer build) in the worst
  // case; unbounded, it was seconds.
  EXPECT_LT(during.medianMs, 10.0 * kSlower);
  EXPECT_LT(during.worstMs, kWorstWaitMs * kSlower);
  close(flooder);
}

// A stop ends the service at once whatever its clients are in the middle of: one idle, one half
// way through a frame, one that never reads the large replies it asked for (the service would
// wait ten seconds before giving up on it), and one whose requests the controller holds.
TEST_F(ServiceBoundsTest, AStopEndsTheServiceWhateverItsClientsAreDoing) {
  FillTheJournal();
  int idle = test::DeviceService::ConnectRaw();
  int halfway = test::DeviceService::ConnectRaw();
  const std::uint8_t halfHeader[4] = {1, 0, 0, 0};
  ASSERT_EQ(send(halfway, halfHeader, sizeof halfHeader, MSG_NOSIGNAL), 4);
  int neverReads = Flood(IOCTL_SIM_READ_JOURNAL, {}, 20);
  RbfRegistration armed{77, 1, 0};
  int held = Flood(IOCTL_SET_RBF_REGISTRATION, Bytes(armed), 1);
  int waiter = Flood(IOCTL_WAIT_RBF_DISARMED, Bytes(armed), 1000);
  // Once the held requests come and go, the others have long been taken in.
  ASSERT_TRUE(test::WaitUntil(
      [] { return test::DeviceService::Qxctl("journal").find("WaitRbfDisarmed") != std::string::npos; }, 10000, 50));

  const auto start = Clock::now();
  service.Stop();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "a client held the stop up";
  for (int fd : {idle, halfway, neverReads, held, waiter}) close(fd);
}

}  // namespace
}  // namespace qx
