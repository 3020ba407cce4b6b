// The right-button program's wait: how many registration requests a second it makes while armed,
// beside the service's bare GetSettings round trip from a program that does nothing else, in the
// same run; how much processor time the program and the service take during the wait; and how soon
// after the touch that ends the wait the program has disarmed (the journal's RightButtonAction to
// the program's next SetRbfRegistration, on the journal's millisecond clock).
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

bool IsRegistrationRead(const std::string& line) {
  return line.find(" GetRbfRegistration") != std::string::npos || line.find(" WaitRbfDisarmed") != std::string::npos;
}

// Registration requests a second while armed, from the journal's newest lines: their count over
// the time between the first and the last kept (the journal keeps the newest 20 000), or over
// SECONDS when fewer than two were made.
double QueryRate(double seconds) {
  std::istringstream journal(DeviceService::Qxctl("journal"));
  double first = -1, last = -1;
  int n = 0;
  for (std::string line; std::getline(journal, line);) {
    if (!IsRegistrationRead(line)) continue;
    const double ms = LineMs(line);
    if (first < 0) first = ms;
    last = ms;
    ++n;
  }
  return n > 1 && last > first ? (n - 1) / ((last - first) / 1000) : n / seconds;
}

// Milliseconds from the touch's RightButtonAction to the program's disarm after it; -1 when the
// journal does not hold both.
double ReactionMs() {
  std::istringstream journal(DeviceService::Qxctl("journal"));
  double touched = -1;
  for (std::string line; std::getline(journal, line);) {
    if (line.find(" RightButtonAction") != std::string::npos) touched = LineMs(line);
    else if (touched >= 0 && line.find(" SetRbfRegistration") != std::string::npos) return LineMs(line) - touched;
  }
  return -1;
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

  std::vector<double> bare, waiting, rbfCpu, serviceCpu, reaction;
  for (int run = 0; run < runs; ++run) {
    bare.push_back(GetSettingsRate());

    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    WaitForRbf([](const RbfState& s) { return s.armed == 1; });
    DeviceService::Qxctl("journal --clear");  // only this wait's queries are counted
    const double rbfBefore = CpuSeconds(rbf), serviceBefore = CpuSeconds(service.pid());
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rbfCpu.push_back((CpuSeconds(rbf) - rbfBefore) / seconds * 100);
    serviceCpu.push_back((CpuSeconds(service.pid()) - serviceBefore) / seconds * 100);
    waiting.push_back(QueryRate(seconds));
    DeviceService::Qxctl("touch 300 400");  // the touch that becomes the right-button action
    DeviceService::Qxctl("lift");
    const auto touched = Clock::now();
    double ms = -1;
    while (ms < 0 && Clock::now() - touched < std::chrono::seconds(5)) ms = ReactionMs();
    if (ms >= 0) reaction.push_back(ms);
  }
  SendMessageA(h, WM_USER, RBF_CLOSE, 0);
  KillAndWait(rbf, SIGTERM);
  CloseDriver();

  const double b = Median(bare), w = Median(waiting);
  std::printf("bare GetSettings round trip:       median %.0f a second (%.1f us each) over %d runs\n", b, 1e6 / b,
              runs);
  std::printf("registration requests while armed: median %.0f a second over %d runs\n", w, runs);
  std::printf("ratio: %.2f of the bare round trip\n", w / b);
  std::printf(
      "processor during a wait: QXWMECrb %.1f %%, service %.1f %% of one core (medians; goal: together at "
      "most 2 %%)\n",
      Median(rbfCpu), Median(serviceCpu));
  if (reaction.empty()) {
    std::printf("touch to disarm: not seen in the journal\n");
  } else {
    std::printf("touch to disarm: median %.0f ms, worst %.0f ms over %zu touches (journal's ms clock)\n",
                Median(reaction), *std::max_element(reaction.begin(), reaction.end()), reaction.size());
  }
  return 0;
}
