// bench_startup: the startup program QXWMECao at log-on, from its start to its end less its
// pause, beside a minimal Qt Widgets program's start to exit, interleaved in the same run
// (scripts/bench-startup). Needs a machine root with the suite installed and its device service
// running (QX_ROOT), and a display.
//
//   bench_startup STARTUP_PROGRAM MINIMAL_PROGRAM [RUNS]
//
// The pause is taken out exactly: it begins after the program's last request, whose time the
// device service journals (to the millisecond, on the system clock), and ends at the whole second
// of the steady clock that follows the start rounded to the nearest whole second. Beside the
// wall-clock times, the processor time of each (its own and its threads', from wait4), which a
// busy machine disturbs less. The last lines give both ratios and their goal.
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/device_service.h"
#include "tests/support/process.h"

namespace {

using Clock = std::chrono::steady_clock;
using qx::test::DeviceService;

double SteadyNow() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }
double SystemNow() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// "2026-12-08T05:31:25.123Z" at the start of a journal line, as seconds of the system clock.
double JournalTime(const std::string& line) {
  std::tm tm{};
  int ms = 0;
  if (std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour, &tm.tm_min,
                  &tm.tm_sec, &ms) != 7)
    return -1;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return static_cast<double>(timegm(&tm)) + ms / 1000.0;
}

// Runs ARGV to its end; the seconds it took, or -1 when it failed. CPU: the processor seconds it used.
double TimeRun(const std::vector<std::string>& argv, double& cpu) {
  const double start = SteadyNow();
  const pid_t pid = qx::test::Spawn(argv);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  return SteadyNow() - start;
}

// One run of the startup program: its time less the pause that followed its last request (the
// right-button registration read), or -1; PAUSE gets the pause taken out.
double TimeStartup(const std::string& program, double& pause, double& cpu) {
  DeviceService::Qxctl("journal --clear");
  const double offset = SystemNow() - SteadyNow();  // the system clock less the steady one
  const double whole = TimeRun({program}, cpu);
  if (whole < 0) return -1;
  std::istringstream journal(DeviceService::Qxctl("journal"));
  double lastRequest = -1;
  for (std::string line; std::getline(journal, line);)
    if (line.find(" GetRbfRegistration") != std::string::npos) lastRequest = JournalTime(line) - offset;
  if (lastRequest < 0) return -1;
  pause = std::nearbyint(lastRequest) + 1 - lastRequest;
  return whole - pause;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_startup STARTUP_PROGRAM MINIMAL_PROGRAM [RUNS]\n");
    return 64;
  }
  const int runs = argc > 3 ? std::atoi(argv[3]) : 15;
  std::vector<double> minimal;
  std::vector<double> startup;
  std::vector<double> pauses;
  std::vector<double> minimalCpu;
  std::vector<double> startupCpu;
  for (int run = 0; run < runs; ++run) {  // interleaved, so that both see the same machine
    double cpu = 0;
    if (double t = TimeRun({argv[2], "--exit"}, cpu); t >= 0) {
      minimal.push_back(t * 1000);
      minimalCpu.push_back(cpu * 1000);
    }
    double pause = 0;
    if (double t = TimeStartup(argv[1], pause, cpu); t >= 0) {
      startup.push_back(t * 1000);
      pauses.push_back(pause * 1000);
      startupCpu.push_back(cpu * 1000);
    } else std::fprintf(stderr, "left out: a start of the startup program that failed or sent no registration read\n");
  }
  const double m = Median(minimal);
  const double s = Median(startup);
  std::printf("minimal Qt Widgets program, start to exit:     median %.1f ms over %zu starts (best %.1f)\n", m,
              minimal.size(), minimal.empty() ? 0 : *std::min_element(minimal.begin(), minimal.end()));
  std::printf("QXWMECao at log-on, start to end less its pause: median %.1f ms over %zu starts (best %.1f)\n", s,
              startup.size(), startup.empty() ? 0 : *std::min_element(startup.begin(), startup.end()));
  std::printf("its pause, taken out:                            median %.1f ms (500 to 1500 by design)\n",
              Median(pauses));
  const double mc = Median(minimalCpu);
  const double sc = Median(startupCpu);
  std::printf("processor time, minimal program %.1f ms, QXWMECao %.1f ms (medians)\n", mc, sc);
  std::printf("ratio, start to end: %.2f (goal: at most 1.3)\n", m > 0 ? s / m : 0);
  std::printf("ratio, processor time: %.2f (goal: at most 1.3)\n", mc > 0 ? sc / mc : 0);
  return 0;
}
