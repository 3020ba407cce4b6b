// The processes that run on a machine root, and ending them.
//
// A process runs on the root when it serves windows on the root's window bus (a socket
// run/windows/<pid> that it made), holds one of the locks run/*.lock (the device service holds
// run/QXWMECOM.lock, a program that keeps to one copy holds run/<program>.lock), or was started by
// the root's log-on and still runs with the root in QX_ROOT (listed in run/logon-started): a
// program the log-on just started is ended with the rest before it has a window or a lock. In
// each case the process itself must run on this root (tools/qxmachine/process_root.h): a file in
// run/ that a link or another process planted names nobody.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qx::machine {

struct RootProcess {
  pid_t pid = 0;
  std::string name;  // the program's file name
  std::string why;   // "windows", "lock QXWMECcp", … joined by ", "
};

// Every live process of the root but this one, by process id.
std::vector<RootProcess> FindRootProcesses();

// Lists PID among the processes the log-on started.
void RememberLogonStart(pid_t pid);

// The device service of the root (the holder of run/QXWMECOM.lock), or 0.
pid_t DeviceServicePid();

// Whether PID runs (a process that has ended, even one its parent has not collected, does not).
bool ProcessRunning(pid_t pid);

// The file name of PID's program ("QXWMECcp.exe"), or "" when it is gone.
std::string ProgramName(pid_t pid);

// Whether the file PID's program was started from has been replaced or removed since (an upgrade
// renamed a new one over it): /proc then names it "… (deleted)".
bool ProgramReplaced(pid_t pid);

// Asks each of PIDS to end (SIGTERM) and waits until all have ended, at most GRACE_MS; then ends
// the rest (SIGKILL) and waits for them. Returns the processes that had to be killed.
std::vector<pid_t> EndProcesses(const std::vector<pid_t>& pids, int graceMs);

// How long a program is given to end when asked: QX_END_TIMEOUT_MS, default 5000 ms.
int EndTimeoutMs();

}  // namespace qx::machine
