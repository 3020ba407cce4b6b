#include "tools/qxmachine/commands.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>

#include "core/driver_link.h"
#include "host/desktop.h"
#include "host/device_file.h"
#include "host/machine_root.h"
#include "host/process_start.h"
#include "host/profile_text.h"
#include "host/tool_path.h"
#include "tools/qxmachine/logon_entries.h"
#include "tools/qxmachine/machine_lock.h"
#include "tools/qxmachine/root_processes.h"
#include "tools/qxmachine/run_folder.h"
#include "host/wininit.h"

namespace qx::machine {

namespace {

using tool::Args;
using tool::kFailed;
using tool::kOk;
using tool::kUsage;

// The programs that run on the root get it in QX_ROOT, also when it is the default root.
void FixRoot() { SetMachineRoot(MachineRoot()); }

int Usage(const char* command, const char* takes) {
  std::fprintf(stderr, "qxmachine: %s takes %s\n", command, takes);
  return kUsage;
}

// The process --caller PID names (0 without one), through *CALLER; false for a malformed list.
bool ParseCaller(const Args& args, pid_t* caller) {
  *caller = 0;
  if (args.empty()) return true;
  if (args.size() != 2 || args[0] != "--caller") return false;
  char* end = nullptr;
  long pid = std::strtol(args[1].c_str(), &end, 10);
  if (args[1].empty() || *end || pid <= 1 || pid > 4194304) return false;
  *caller = static_cast<pid_t>(pid);
  return true;
}

bool IsDeviceService(const RootProcess& p) {
  return p.why.find(std::string("lock ") + DRIVER_NAME) != std::string::npos;
}

void SayEnded(const std::vector<pid_t>& killed, pid_t pid, const std::string& name) {
  const bool wasKilled = std::find(killed.begin(), killed.end(), pid) != killed.end();
  std::printf("%s %s (process %d)\n", wasKilled ? "killed" : "ended", name.c_str(), pid);
}

// Ends every program of the root but the device service, the caller with them. Programs that start
// others while they end are looked for again, a few rounds at most.
void EndThePrograms(pid_t caller) {
  const int grace = EndTimeoutMs();
  // On Windows the caller goes on from ExitWindowsEx until it is back in its message loop, and the
  // session ends only then: it gets a moment to finish what follows the call (the installers end
  // by themselves) before it is asked to end with the others.
  const auto moment = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (caller > 0 && caller != ::getpid() && ProcessRunning(caller) && std::chrono::steady_clock::now() < moment)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::set<pid_t> asked;
  for (int round = 0; round < 5; ++round) {
    std::vector<pid_t> batch;
    std::vector<std::string> names;
    for (const RootProcess& p : FindRootProcesses()) {
      if (IsDeviceService(p) || asked.count(p.pid)) continue;
      batch.push_back(p.pid);
      names.push_back(p.name);
    }
    if (round == 0 && caller > 0 && caller != ::getpid() && ProcessRunning(caller) &&
        std::find(batch.begin(), batch.end(), caller) == batch.end()) {
      batch.push_back(caller);
      names.push_back(ProgramName(caller));
    }
    if (batch.empty()) break;
    std::vector<pid_t> killed = EndProcesses(batch, grace);
    for (std::size_t i = 0; i < batch.size(); ++i) SayEnded(killed, batch[i], names[i]);
    asked.insert(batch.begin(), batch.end());
  }
  std::fflush(stdout);
}

// Ends the programs, then the device service (the programs may speak to it while they end), and
// empties run/.
bool EndTheMachine(pid_t caller) {
  EndThePrograms(caller);
  if (pid_t service = DeviceServicePid()) SayEnded(EndProcesses({service}, EndTimeoutMs()), service, "device service");
  std::fflush(stdout);
  return EmptyRunFolder();
}

bool DeviceAnswers() {
  const std::string device = std::string("\\\\.\\") + DRIVER_NAME;
  HANDLE h =
      CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool StartDeviceService() {
  const std::string program = ToolPath("qxwmecomd");
  DWORD pid = 0;
  if (StartHostProgram({program, "--root", MachineRoot()}, SW_HIDE, &pid) != EXEC_STARTED) {
    std::fprintf(stderr, "qxmachine: cannot start the device service %s\n", program.c_str());
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!DeviceAnswers()) {
    if (!ProcessRunning(static_cast<pid_t>(pid)) || std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "qxmachine: the device service %s did not start\n", program.c_str());
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::printf("started device service (process %u)\n", pid);
  std::fflush(stdout);
  return true;
}

// The machine starts: when it is off, what WININIT.INI asks and the device service; then the
// log-on entries. A machine whose device service died (killed) but whose programs still run is
// off: those programs end first, so that the log-on does not start second copies beside them. A
// service whose program was replaced since it started (an upgrade of the package) is ended with
// the whole machine, which then starts anew: the new program serves it, and the programs the
// log-on starts register with it again.
int BootTheMachine() {
  bool ok = true;
  pid_t service = DeviceServicePid();
  if (service && ProgramReplaced(service)) {
    std::printf("the device service (process %d) runs a program replaced since: the machine restarts\n", service);
    ok = EndTheMachine(0);
    service = 0;
  }
  if (!service) {
    EndThePrograms(0);
    ok = CarryOutWininit() && ok;
    ok = RootFitsItsSockets() && RootIsOwn("qxmachine") && StartDeviceService() && ok;
  }
  ok = RunLogonEntries() && ok;
  return ok ? kOk : kFailed;
}

}  // namespace

int Boot(const Args& args) {
  if (!args.empty()) return Usage("boot", "no arguments");
  FixRoot();
  MachineLock machine;
  return machine.held() ? BootTheMachine() : kFailed;
}

int Restart(const Args& args) {
  pid_t caller;
  if (!ParseCaller(args, &caller)) return Usage("restart", "only --caller PID");
  FixRoot();
  MachineLock machine;
  if (!machine.held()) return kFailed;
  const bool ended = EndTheMachine(caller);
  return BootTheMachine() == kOk && ended ? kOk : kFailed;
}

int Shutdown(const Args& args) {
  pid_t caller;
  if (!ParseCaller(args, &caller)) return Usage("shutdown", "only --caller PID");
  FixRoot();
  MachineLock machine;
  if (!machine.held()) return kFailed;
  return EndTheMachine(caller) ? kOk : kFailed;
}

int Keep(const Args& args) {
  if (args.empty()) return Usage("keep", "the Windows paths of files to keep");
  FixRoot();
  MachineLock machine;
  return machine.held() && KeepFiles(args) ? kOk : kFailed;
}

int Status(const Args& args) {
  if (!args.empty()) return Usage("status", "no arguments");
  FixRoot();
  std::printf("machine root: %s\n", MachineRoot().c_str());
  const std::vector<RootProcess> processes = FindRootProcesses();
  pid_t service = 0;
  for (const RootProcess& p : processes)
    if (IsDeviceService(p)) service = p.pid;
  if (service) std::printf("device service: running (process %d)\n", service);
  else std::printf("device service: not running\n");
  std::printf("programs:\n");
  int programs = 0;
  for (const RootProcess& p : processes) {
    if (IsDeviceService(p)) continue;
    std::printf("  %d %s (%s)\n", p.pid, p.name.c_str(), p.why.c_str());
    ++programs;
  }
  if (!programs) std::printf("  none\n");
  std::printf("log-on entries (%s):\n", kStartUpFolder);
  const std::vector<LogonEntry> entries = LogonEntries();
  for (const LogonEntry& e : entries) std::printf("  %s: %s\n", e.file.c_str(), e.exec.c_str());
  if (entries.empty()) std::printf("  none\n");
  return service ? kOk : kNotRunning;
}

namespace {

constexpr const char* kDesktopNames[] = {"DoubleClickSpeed", "DoubleClickWidth", "DoubleClickHeight"};

// NAME=VALUE as a desktop call; false when the desktop refuses it.
bool SetDesktopValue(const std::string& name, UINT value) {
  if (profile::SameName(name, kDesktopNames[0])) return SetDoubleClickTime(value);
  UINT action = profile::SameName(name, kDesktopNames[1]) ? SPI_SETDOUBLECLKWIDTH : SPI_SETDOUBLECLKHEIGHT;
  return SystemParametersInfoA(action, value, nullptr, SPIF_SENDWININICHANGE);
}

bool KnownDesktopName(const std::string& name) {
  return std::any_of(std::begin(kDesktopNames), std::end(kDesktopNames),
                     [&](const char* known) { return profile::SameName(name, known); });
}

}  // namespace

int Desktop(const Args& args) {
  FixRoot();
  int result = kOk;
  for (const std::string& arg : args) {
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    char* end = nullptr;
    const unsigned long value = eq == std::string::npos ? 0 : std::strtoul(arg.c_str() + eq + 1, &end, 10);
    if (eq == std::string::npos || !KnownDesktopName(name) || end == arg.c_str() + eq + 1 || *end) {
      std::fprintf(stderr, "qxmachine: '%s' is not NAME=NUMBER for %s, %s or %s\n", arg.c_str(), kDesktopNames[0],
                   kDesktopNames[1], kDesktopNames[2]);
      return kUsage;
    }
    if (value > 0xFFFFFFFFul || !SetDesktopValue(name, static_cast<UINT>(value))) {
      std::fprintf(stderr, "qxmachine: the desktop refuses %s\n", arg.c_str());
      result = kFailed;
    }
  }
  std::printf("%s=%u %s=%d %s=%d\n", kDesktopNames[0], GetDoubleClickTime(), kDesktopNames[1],
              GetSystemMetrics(SM_CXDOUBLECLK), kDesktopNames[2], GetSystemMetrics(SM_CYDOUBLECLK));
  return result;
}

}  // namespace qx::machine
