// The desktop's pointer through the device service: from a simulated report (a SimFinger request
// that moves the held finger, made at once) to the MotionNotify an X client gets, beside a bare
// XTest motion sent to the same server and measured the same way, interleaved in the same run;
// then the service's processor time while a finger is reported 200 times a second. Used by
// scripts/bench-pointer. REPORTS (first argument, default 1000): reports of each kind.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/temp_root.h"
#include "tests/support/x_display.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qx::test;

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
}

// Milliseconds from START until the recorder got its motion number COUNT (-1 when none came in 1 s).
double MotionAfter(const XEventRecorder& recorder, std::size_t count, Clock::time_point start) {
  const std::vector<XPointerEvent> events = recorder.WaitForEvents(count, 1000);
  if (events.size() < count) return -1;
  return std::chrono::duration<double, std::milli>(events[count - 1].at - start).count();
}

// Processor time of process PID so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  long ticks = 0;
  for (int i = 1; stat >> field && i <= 15; ++i)
    if (i == 14 || i == 15) ticks += std::stol(field);
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
  const int reports = argc > 1 ? std::atoi(argv[1]) : 1000;
  VirtualDisplay display;
  TempRoot root;
  setenv("DISPLAY", display.name().c_str(), 1);
  DeviceService service({"--pointer", "x11"});
  DeviceService::Qxctl("set TouchMode=1 SoundMode=1");
  XEventRecorder recorder(display.name());
  Display* bare = XOpenDisplay(display.name().c_str());

  // Every 2.5 ms one of the two, in turn: each kind at 200 a second. Each goes to a place the
  // pointer is not at, so that each makes one motion.
  std::vector<double> service_ms, bare_ms;
  auto slot = Clock::now();
  for (int i = 0; i < 2 * reports; ++i) {
    slot += std::chrono::microseconds(2500);
    std::this_thread::sleep_until(slot);
    const int x = 100 + (i % 2) * 400 + (i / 2 % 2) * 200;
    const std::size_t next = recorder.Events().size() + 1;
    const auto start = Clock::now();
    if (i % 2 == 0) {
      PressFinger(x, 500);
    } else {
      XTestFakeMotionEvent(bare, DefaultScreen(bare), x, 500, CurrentTime);
      XFlush(bare);
    }
    const double ms = MotionAfter(recorder, next, start);
    if (ms >= 0) (i % 2 == 0 ? service_ms : bare_ms).push_back(ms);
  }
  LiftFinger();
  std::printf("report to MotionNotify, %d of each at 200 a second:\n", reports);
  std::printf("  through the service: median %.3f ms, 99th percentile %.3f ms (%zu got)\n", Quantile(service_ms, 0.5),
              Quantile(service_ms, 0.99), service_ms.size());
  std::printf("  bare XTest:          median %.3f ms, 99th percentile %.3f ms (%zu got)\n", Quantile(bare_ms, 0.5),
              Quantile(bare_ms, 0.99), bare_ms.size());
  std::printf("  the service adds %.3f ms at the median (goal: at most 1 ms)\n",
              Quantile(service_ms, 0.5) - Quantile(bare_ms, 0.5));

  // A shaky finger held for ten seconds at 200 reports a second: each report moves the pointer.
  SetReportRate(200);
  const double before = CpuSeconds(service.pid());
  PressFinger(500, 500, 20);
  std::this_thread::sleep_for(std::chrono::seconds(10));
  LiftFinger();
  const double used = CpuSeconds(service.pid()) - before;
  std::printf("service CPU with a finger at 200 reports a second: %.2f %% of a core (goal: at most 2 %%)\n",
              used / 10 * 100);
  XCloseDisplay(bare);
  unsetenv("DISPLAY");
  return 0;
}
