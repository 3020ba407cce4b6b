// A GetSettings round trip through the driver link to a running device service, beside a bare
// Unix-socket echo of the same frame sizes served by another process, in the same run, and the
// same calls answered at once by a bare frame server (the client's and the frames' share), blocked
// in its read or waiting in epoll as the service does (the share of that way of waiting); and a
// Set round trip (SetMouseSpeed, answered once its settings are kept on disk). The last lines give
// the ratio of the medians (wall-clock time of a round trip) and its goal, and the pace of a held
// finger's reports (100 a second) while another client sends Sets in a loop.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/driver_link.h"
#include "host/device_file.h"
#include "host/device_frame.h"
#include "host/handles.h"
#include "host/machine_root.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/temp_root.h"

namespace {

constexpr std::size_t kFrame = 8 + sizeof(qx::SettingsBlock);

bool ReadExactly(int fd, char* buf, std::size_t n) {
  while (n) {
    ssize_t got = read(fd, buf, n);
    if (got <= 0) return false;
    buf += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  return addr;
}

// A listening Unix socket at PATH.
int ListenAt(const std::string& path) {
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un addr = AddressOf(path);
  bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  listen(listener, 1);
  return listener;
}

// The next 90-byte frame on FD, waited for in a blocking read, or (POLLED) in an epoll wait and
// then read without waiting, as the device service's loop does.
bool NextFrame(int fd, char* buf, int epollFd) {
  if (epollFd < 0) return ReadExactly(fd, buf, kFrame);
  epoll_event ready;
  return epoll_wait(epollFd, &ready, 1, -1) == 1 && recv(fd, buf, kFrame, MSG_DONTWAIT) == static_cast<ssize_t>(kFrame);
}

// A child process that takes one connection on a Unix socket at PATH and answers every 90-byte
// frame with REPLY (90 bytes), or with the frame itself when REPLY is null; waiting for each in an
// epoll wait when POLLED.
pid_t StartAnswerer(const std::string& path, const char* reply, bool polled = false) {
  int listener = ListenAt(path);
  pid_t pid = fork();
  if (pid == 0) {
    int fd = accept(listener, nullptr, nullptr);
    int epollFd = -1;
    if (polled) {
      epollFd = epoll_create1(0);
      epoll_event watch{EPOLLIN, {.fd = fd}};
      epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &watch);
    }
    char buf[kFrame];
    while (NextFrame(fd, buf, epollFd) && write(fd, reply ? reply : buf, kFrame) == static_cast<ssize_t>(kFrame)) {
    }
    _exit(0);
  }
  close(listener);
  return pid;
}

void Stop(pid_t child) {
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
}

void RoundTrips(benchmark::State& state) {
  for (auto _ : state) {
    qx::GetSettings();
    benchmark::DoNotOptimize(qx::Settings);
  }
  if (!qx::LastRequestResult) state.SkipWithError("GetSettings failed");
}

void BM_GetSettings(benchmark::State& state) {
  qx::test::TempRoot root;
  qx::test::DeviceService service;
  if (!qx::OpenDriver()) {
    state.SkipWithError("no device service");
    return;
  }
  RoundTrips(state);
  qx::CloseDriver();
}

// Each Set changes the settings, so that each one is written to the state file.
void BM_SetMouseSpeed(benchmark::State& state) {
  qx::test::TempRoot root;
  qx::test::DeviceService service;
  if (!qx::OpenDriver()) {
    state.SkipWithError("no device service");
    return;
  }
  qx::GetSettings();
  int k = 0;
  for (auto _ : state) {
    qx::Settings.SpeedH = static_cast<std::uint8_t>(++k % 20 + 1);
    qx::SetMouseSpeed();
  }
  if (!qx::LastRequestResult) state.SkipWithError("SetMouseSpeed failed");
  qx::CloseDriver();
}

// The same client calls against a process that answers each request frame at once with a
// success frame of a settings block, doing nothing else: what the client and the frames cost
// without any work of the service's.
// Argument 1: the process waits for each request as the service's loop does (an epoll wait, then
// a read without waiting): what that way of waiting costs without the service's work.
void BM_AnsweredAtOnce(benchmark::State& state) {
  qx::test::TempRoot root;
  char reply[kFrame] = {};
  qx::frame::PutU32(reinterpret_cast<std::uint8_t*>(reply), 1);
  qx::frame::PutU32(reinterpret_cast<std::uint8_t*>(reply) + 4, sizeof(qx::SettingsBlock));
  pid_t answerer = StartAnswerer(qx::RunDir() + "/" + qx::DRIVER_NAME, reply, state.range(0) == 1);
  if (!qx::OpenDriver()) {
    state.SkipWithError("no answerer");
  } else {
    RoundTrips(state);
    qx::CloseDriver();
  }
  Stop(answerer);
}

void BM_UnixSocketEcho(benchmark::State& state) {
  qx::test::TempRoot root;
  std::string path = qx::RunDir() + "/echo";
  pid_t echo = StartAnswerer(path, nullptr);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un addr = AddressOf(path);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    state.SkipWithError("no echo");
    close(fd);
    Stop(echo);
    return;
  }
  char buf[kFrame] = {};
  for (auto _ : state) {
    if (write(fd, buf, kFrame) != static_cast<ssize_t>(kFrame) || !ReadExactly(fd, buf, kFrame)) {
      state.SkipWithError("echo failed");
      break;
    }
  }
  close(fd);
  Stop(echo);
}

// The reports journalled since AFTER, appended to TIMES (microseconds); where to read on from.
std::uint32_t ReadReportTimes(qx::HANDLE h, std::uint32_t after, std::vector<std::int64_t>& times) {
  for (;;) {
    static qx::SimReports in, out;
    in.After = after;
    if (!qx::test::AskDevice(h, qx::IOCTL_SIM_READ_REPORTS, in, out)) return after;
    for (std::uint32_t i = 0; i < out.Count; ++i) times.push_back(out.Reports[i].Time);
    if (out.Lost) std::printf("(%u reports lost to the journal's size)\n", out.Lost);
    after = out.Next;
    if (out.Count < qx::kReportsRead) return after;
  }
}

// The largest gap between the wake-ups of a bare thread sleeping to a 10 ms period until STOP, in
// microseconds: what the machine itself allows a timer meanwhile (a virtual machine's idle
// processor may wake milliseconds late).
std::int64_t BareTimerLargestGap(const std::atomic<bool>& stop) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point due = Clock::now(), last = due;
  std::int64_t largest = 0;
  while (!stop) {
    due += std::chrono::milliseconds(10);
    std::this_thread::sleep_until(due);
    const Clock::time_point now = Clock::now();
    largest = std::max<std::int64_t>(largest, std::chrono::duration_cast<std::chrono::microseconds>(now - last).count());
    last = now;
  }
  return largest;
}

// A finger held at 100 reports a second for SECONDS while another client sends Sets in a loop:
// the largest gap between two reports, and how many Sets were answered meanwhile; beside it, a bare
// timer's largest gap.
void ReportPaceDuringSets(int seconds) {
  qx::test::TempRoot root;
  qx::test::DeviceService service;
  qx::HANDLE h = qx::CreateFileA("\\\\.\\QXWMECOM", 0, 3, nullptr, 3, 0x80, 0);
  qx::SimReports start{};
  start.After = qx::REPORTS_FROM_NOW;
  if (h == qx::INVALID_HANDLE_VALUE || !qx::test::AskDevice(h, qx::IOCTL_SIM_READ_REPORTS, start, start)) return;
  std::atomic<bool> stop{false};
  std::atomic<int> sets{0};
  std::thread setter([&] {
    qx::HANDLE s = qx::CreateFileA("\\\\.\\QXWMECOM", 0, 3, nullptr, 3, 0x80, 0);
    qx::SettingsBlock block{};
    qx::test::AskDevice(s, qx::IOCTL_GET_SETTINGS, block, block);
    for (int k = 0; !stop; ++k) {
      block.SpeedH = static_cast<std::uint8_t>(k % 20 + 1);
      if (qx::test::AskDevice(s, qx::IOCTL_SET_MOUSE_SPEED, block, block)) ++sets;
    }
    qx::CloseHandle(s);
  });
  std::int64_t bareGap = 0;
  std::thread bare([&] { bareGap = BareTimerLargestGap(stop); });
  qx::test::PressFinger(500, 500, 2);
  std::vector<std::int64_t> times;
  std::uint32_t after = start.Next;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    after = ReadReportTimes(h, after, times);
  }
  stop = true;
  setter.join();
  bare.join();
  qx::test::LiftFinger();
  ReadReportTimes(h, after, times);
  qx::CloseHandle(h);
  std::int64_t largest = 0;
  int late = 0;  // gaps of more than two periods
  for (std::size_t i = 1; i < times.size(); ++i) {
    largest = std::max(largest, times[i] - times[i - 1]);
    late += times[i] - times[i - 1] > 20000;
  }
  std::printf(
      "a finger at 100 reports a second beside a loop of Sets for %d s: %zu reports, %d Sets answered, "
      "largest gap between reports %.1f ms (goal: at most 12 ms), %d gaps over 20 ms (period 10 ms); a bare "
      "10 ms timer's largest gap meanwhile %.1f ms\n",
      seconds, times.size(), sets.load(), static_cast<double>(largest) / 1000, late,
      static_cast<double>(bareGap) / 1000);
}

// The console's report, keeping each benchmark's median for the ratio.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median")
        medians[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
            run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

BENCHMARK(BM_GetSettings)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_SetMouseSpeed)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_AnsweredAtOnce)->Arg(0)->Arg(1)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_UnixSocketEcho)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double request = reporter.medians["BM_GetSettings"];
  const double echo = reporter.medians["BM_UnixSocketEcho"];
  const double atOnce = reporter.medians["BM_AnsweredAtOnce/0"];
  const double polled = reporter.medians["BM_AnsweredAtOnce/1"];
  if (atOnce > 0 && echo > 0)
    std::printf("the same calls answered at once by a bare frame server %.1f us: ratio to the echo %.2f\n",
                atOnce / 1000, atOnce / echo);
  if (polled > 0 && echo > 0)
    std::printf("and by one that waits in epoll as the service does %.1f us: ratio to the echo %.2f\n", polled / 1000,
                polled / echo);
  if (request > 0 && echo > 0)
    std::printf("GetSettings round trip %.1f us, Unix-socket echo %.1f us (medians): ratio %.2f (goal: at most 1.05)\n",
                request / 1000, echo / 1000, request / echo);
  const double set = reporter.medians["BM_SetMouseSpeed"];
  if (set > 0) std::printf("SetMouseSpeed round trip %.1f us (median)\n", set / 1000);
  ReportPaceDuringSets(5);
  return 0;
}
