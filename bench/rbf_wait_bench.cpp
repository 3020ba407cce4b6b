// The right-button program's wait: how many registration queries a second it makes while armed,
// beside the service's bare GetSettings round trip from a program that does nothing else, in the
// same run; and how much processor time the program and the service take during the wait.
// Used by scripts/bench-rbf. RUNS (first argument, default 5): measurements of each, medians shown.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/driver_link.h"
#include "host/window_bus.h"
#include "host/window_input.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/right_button_programs.h"
#include "tests/support/temp_root.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qx;
using namespace qx::test;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// GetSettings round trips a second, over half a second.
double GetSettingsRate() {
  int n = 0;
  const auto start = Clock::now();
  const auto end = start + std::chrono::milliseconds(500);
  while (Clock::now() < end) {
    GetSettings();
    ++n;
  }
  return n / std::chrono::duration<double>(Clock::now() - start).count();
}

// Milliseconds of the day of a journal line's time "…THH:MM:SS.mmmZ".
double LineMs(const std::string& line) {
  const std::size_t t = line.find('T');
  if (t == std::string::npos || line.size() < t + 13) return -1;
  return ((std::stoi(line.substr(t + 1, 2)) * 60 + std::stoi(line.substr(t + 4, 2))) * 60 +
          std::stod(line.substr(t + 7, 6))) *
         1000;
}

// Registration queries a second while armed, from the journal's newest lines: their count over
// the time between the first and the last kept (the journal keeps the newest 20 000).
double QueryRate() {
  std::istringstream journal(DeviceService::Qxctl("journal"));
  double first = -1, last = -1;
  int n = 0;
  for (std::string line; std::getline(journal, line);) {
    if (line.find(" GetRbfRegistration") == std::string::npos) continue;
    const double ms = LineMs(line);
    if (first < 0) first = ms;
    last = ms;
    ++n;
  }
  return n > 1 && last > first ? (n - 1) / ((last - first) / 1000) : 0;
}

// The processor time a process has taken so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i == 14 || i == 15) ticks += std::stol(field);  // utime, stime
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TempRoot root;
  DeviceService service;
  if (!OpenDriver()) {
    std::fprintf(stderr, "no device service\n");
    return 1;
  }
  const pid_t rbf = Spawn({Program("QXWMECrb")}, root.path() + "/rbf.log");
  const HWND h = WaitForRbf([rbf](const RbfState& s) { return s.window / 256 == rbf; }).window;
  if (h / 256 != rbf) {
    std::fprintf(stderr, "QXWMECrb did not register\n");
    return 1;
  }

  std::vector<double> bare, waiting, rbfCpu, serviceCpu;
  for (int run = 0; run < runs; ++run) {
    bare.push_back(GetSettingsRate());

    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    WaitForRbf([](const RbfState& s) { return s.armed == 1; });
    DeviceService::Qxctl("journal --clear");  // only this wait's queries are counted
    const double rbfBefore = CpuSeconds(rbf), serviceBefore = CpuSeconds(service.pid());
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    waiting.push_back(QueryRate());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rbfCpu.push_back((CpuSeconds(rbf) - rbfBefore) / seconds * 100);
    serviceCpu.push_back((CpuSeconds(service.pid()) - serviceBefore) / seconds * 100);
    SendMessageA(h, WM_KEYDOWN, 'Q', 0);  // cancels the wait
    SendMessageA(h, WM_KEYUP, 'Q', 0);
    WaitForRbf([](const RbfState& s) { return s.armed == 0; });
  }
  SendMessageA(h, WM_USER, RBF_CLOSE, 0);
  KillAndWait(rbf, SIGTERM);
  CloseDriver();

  const double b = Median(bare), w = Median(waiting);
  std::printf("bare GetSettings round trip:       median %.0f a second (%.1f us each) over %d runs\n", b, 1e6 / b,
              runs);
  std::printf("registration queries while armed:  median %.0f a second over %d runs\n", w, runs);
  std::printf("ratio: %.2f of the bare round trip\n", w / b);
  std::printf("processor during a wait: QXWMECrb %.0f %%, service %.0f %% of one core (medians)\n", Median(rbfCpu),
              Median(serviceCpu));
  return 0;
}
