// A GetSettings round trip through the driver link to a running device service, beside a bare
// Unix-socket echo of the same frame sizes served by another process, in the same run. The last
// line gives the ratio of their medians (wall-clock time of a round trip) and its goal.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "core/driver_link.h"
#include "host/machine_root.h"
#include "tests/support/device_service.h"
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

// A child process that answers every 90-byte frame with 90 bytes, on a Unix socket at PATH.
pid_t StartEcho(const std::string& path) {
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(listener, 1);
  pid_t pid = fork();
  if (pid == 0) {
    int fd = accept(listener, nullptr, nullptr);
    char buf[kFrame];
    while (ReadExactly(fd, buf, kFrame) && write(fd, buf, kFrame) == static_cast<ssize_t>(kFrame)) {
    }
    _exit(0);
  }
  close(listener);
  return pid;
}

void BM_GetSettings(benchmark::State& state) {
  qx::test::TempRoot root;
  qx::test::DeviceService service;
  if (!qx::OpenDriver()) {
    state.SkipWithError("no device service");
    return;
  }
  for (auto _ : state) {
    qx::GetSettings();
    benchmark::DoNotOptimize(qx::Settings);
  }
  if (!qx::LastRequestResult) state.SkipWithError("GetSettings failed");
  qx::CloseDriver();
}

void BM_UnixSocketEcho(benchmark::State& state) {
  qx::test::TempRoot root;
  std::string path = qx::RunDir() + "/echo";
  pid_t echo = StartEcho(path);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    state.SkipWithError("no echo");
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
  kill(echo, SIGTERM);
  waitpid(echo, nullptr, 0);
}

// The console's report, keeping each benchmark's median for the ratio.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

BENCHMARK(BM_GetSettings)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_UnixSocketEcho)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double request = reporter.medians["BM_GetSettings"];
  const double echo = reporter.medians["BM_UnixSocketEcho"];
  if (request > 0 && echo > 0)
    std::printf("GetSettings round trip %.1f us, Unix-socket echo %.1f us (medians): ratio %.2f (goal: at most 1.1)\n",
                request / 1000, echo / 1000, request / echo);
  return 0;
}
