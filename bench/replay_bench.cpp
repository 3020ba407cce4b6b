// A recording of 10,000 reports replayed with qxctl replay --fast through a running device
// service: reports a second (from qxctl's start to its end, the reading and checking of the file
// included), and the service's processor time per report (all its threads', over the replay),
// with the steady-finger filter off and on (strength 8). Used by scripts/bench-replay. RUNS (first
// argument, default 3): replays of each, interleaved, each shown, then medians.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "core/driver_link.h"
#include "host/device_file.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qx::test;

constexpr int kReports = 10000;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The processor time PID has had, in seconds: all its threads', those that ended too (each client
// of the service is served on a thread of its own, which ends with it).
double CpuSeconds(pid_t pid) {
  clockid_t clock;
  timespec t{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return 0;
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The controller's report counter (16 bits, wrapping).
int Counter() {
  qx::SimStatus status{};
  qx::DWORD n = 0;
  qx::DeviceIoControl(qx::DriverHandle, qx::IOCTL_SIM_GET_STATUS, &status, sizeof status, &status, sizeof status, &n,
                      nullptr);
  return status.Counter;
}

// A finger down, 9,998 moves across a 4096 x 4096 panel, up: 10,000 reports, 100 a second.
std::string Recording() {
  const TestTouchscreen panel{"QX Bench Panel", 0, 4095, 0, 4095, 0};
  TouchRecording rec(panel);
  rec.Down(0, 0, 0);
  for (int i = 1; i < kReports - 1; ++i) rec.Move(i * 10000LL, (i * 37) % 4096, (i * 91) % 4096);
  rec.Up((kReports - 1) * 10000LL);
  return rec.Text();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  TempRoot root;
  DeviceService service;
  const std::string file = root.path() + "/bench.events";
  WriteFile(file, Recording());
  if (!qx::OpenDriver()) {
    std::fprintf(stderr, "bench_replay: no device service\n");
    return 1;
  }
  const int strengths[] = {0, 8};
  std::vector<double> rates[2], cpu[2];
  for (int run = 0; run < runs; ++run) {
    for (int k = 0; k < 2; ++k) {
      const std::string steady = "SteadyFinger=" + std::to_string(strengths[k]);
      if (Run({Program("qxctl"), "--root", root.path(), "set", steady}).exitCode != 0) {
        std::fprintf(stderr, "bench_replay: the service did not take SteadyFinger=%d\n", strengths[k]);
        return 1;
      }
      const int before = Counter();
      const double cpuBefore = CpuSeconds(service.pid());
      const Clock::time_point start = Clock::now();
      const RunResult r = Run({Program("qxctl"), "--root", root.path(), "replay", file, "--fast"});
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      const double serviceCpu = CpuSeconds(service.pid()) - cpuBefore;
      const int made = (Counter() - before + 65536) % 65536;
      if (r.exitCode != 0 || made != kReports) {
        std::fprintf(stderr, "bench_replay: replay gave %d (%d reports made)\n%s", r.exitCode, made, r.err.c_str());
        return 1;
      }
      rates[k].push_back(kReports / seconds);
      cpu[k].push_back(serviceCpu / kReports * 1e6);
      std::printf("run %d, SteadyFinger=%d: %.0f reports a second, service %.2f us of processor a report\n", run + 1,
                  strengths[k], rates[k].back(), cpu[k].back());
    }
  }
  qx::CloseDriver();
  for (int k = 0; k < 2; ++k)
    std::printf(
        "replay --fast of %d reports, SteadyFinger=%d, median of %d runs: %.0f reports a second through the "
        "service; service processor time %.2f us a report\n",
        kReports, strengths[k], runs, Median(rates[k]), Median(cpu[k]));
  return 0;
}
