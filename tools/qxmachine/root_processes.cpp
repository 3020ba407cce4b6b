#include "tools/qxmachine/root_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "core/driver_link.h"
#include "host/environment_bound.h"
#include "host/machine_root.h"
#include "host/regular_file.h"
#include "tools/qxmachine/process_root.h"

namespace qx::machine {

namespace {

using Clock = std::chrono::steady_clock;

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 10 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d)) names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

// The fields of /proc/PID/stat after the program's name; empty when the process is gone.
std::vector<std::string> StatFields(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  std::size_t close = line.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream rest(line.substr(close + 1));
  std::vector<std::string> fields;
  for (std::string f; rest >> f;) fields.push_back(f);
  return fields;
}

double Seconds(const timespec& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9; }

// Whether PID's process started after the file whose change time is CHANGED: then the file is
// another, earlier process's under a process id used again.
bool StartedAfter(pid_t pid, const timespec& changed) {
  std::vector<std::string> f = StatFields(pid);
  if (f.size() < 20) return true;
  const double started = std::strtod(f[19].c_str(), nullptr) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  timespec wall{}, boot{};
  ::clock_gettime(CLOCK_REALTIME, &wall);
  ::clock_gettime(CLOCK_BOOTTIME, &boot);
  const double changedSinceBoot = Seconds(boot) - (Seconds(wall) - Seconds(changed));
  return started > changedSinceBoot + 0.02;  // the start is counted in ticks of 10 ms
}

// The processes that serve windows on the bus: each made the socket named by its process id, and
// confirms it: it listens on that socket (a socket anyone else bound under its number, or one
// linked in from another root, names a process that is not the root's) and runs on this root.
void AddWindowServers(std::map<pid_t, std::vector<std::string>>& found) {
  const std::string folder = RunDir() + "/windows";
  for (const std::string& name : FolderEntries(folder)) {
    if (!AllDigits(name)) continue;
    const pid_t pid = static_cast<pid_t>(std::strtol(name.c_str(), nullptr, 10));
    const std::string socket = folder + "/" + name;
    struct stat st {};
    if (pid <= 0 || ::lstat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    if (ProcessRunning(pid) && !StartedAfter(pid, st.st_ctim) && SocketListener(socket) == pid && RunsOnThisRoot(pid))
      found[pid].push_back("windows");
  }
}

struct LockFile {
  dev_t dev;
  ino_t ino;
  std::string name;  // without ".lock"
};

constexpr char kLogonStarted[] = "logon-started";

// The processes the log-on started (run/logon-started) that still run on the root.
void AddLogonStarted(std::map<pid_t, std::vector<std::string>>& found) {
  // A FIFO there names nobody, rather than holding the machine's command for ever.
  std::istringstream list(ReadRegularFile(RunDir() + "/" + kLogonStarted, 1u << 20).value_or(""));
  for (long pid = 0; list >> pid;)
    if (pid > 0 && ProcessRunning(static_cast<pid_t>(pid)) && RunsOnThisRoot(static_cast<pid_t>(pid)))
      found[static_cast<pid_t>(pid)].push_back("started at log-on");
}

// The lock files of run/ that the root's own programs made: regular files of this user with one
// link, so that a link (symbolic or hard) to a lock file elsewhere, another root's among them,
// names nobody.
std::vector<LockFile> OwnLockFiles() {
  const std::string run = RunDir();
  std::vector<LockFile> files;
  for (const std::string& name : FolderEntries(run)) {
    struct stat st {};
    if (name.size() > 5 && name.ends_with(".lock") && ::lstat((run + "/" + name).c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid())
      files.push_back({st.st_dev, st.st_ino, name.substr(0, name.size() - 5)});
  }
  return files;
}

// The holders of the locks run/*.lock that run on this root, as the kernel lists them in
// /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 fe:00:567 0 EOF" (a waiter's line has "->" after
// the number).
void AddLockHolders(std::map<pid_t, std::vector<std::string>>& found) {
  const std::vector<LockFile> files = OwnLockFiles();
  if (files.empty()) return;
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream words(line);
    std::string number, kind, mode, access, pidText, where;
    words >> number >> kind;
    if (kind == "->") continue;
    words >> mode >> access >> pidText >> where;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (kind != "FLOCK" || std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
    const pid_t pid = static_cast<pid_t>(std::strtol(pidText.c_str(), nullptr, 10));
    for (const LockFile& f : files)
      if (f.ino == inode && ::major(f.dev) == major && ::minor(f.dev) == minor && pid > 0 && ProcessRunning(pid) &&
          RunsOnThisRoot(pid))
        found[pid].push_back("lock " + f.name);
  }
}

int PidFd(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

void Signal(int pidfd, int sig) { ::syscall(SYS_pidfd_send_signal, pidfd, sig, nullptr, 0); }

// Waits until every process of PIDFDS has ended or DEADLINE has come; returns those still running.
std::vector<int> WaitForEnd(std::vector<int> pidfds, Clock::time_point deadline) {
  while (!pidfds.empty()) {
    std::vector<pollfd> polls;
    for (int fd : pidfds) polls.push_back({fd, POLLIN, 0});
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    if (::poll(polls.data(), polls.size(), static_cast<int>(left)) < 0 && errno != EINTR) break;
    std::vector<int> running;
    for (const pollfd& p : polls) {
      if (p.revents) ::close(p.fd);
      else running.push_back(p.fd);
    }
    pidfds = running;
  }
  return pidfds;
}

}  // namespace

void RememberLogonStart(pid_t pid) {
  // The owner's alone, whatever the umask, and never written through a link.
  const int fd =
      ::open((RunDir() + "/" + kLogonStarted).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const std::string line = std::to_string(pid) + "\n";
  // A line not written leaves the program unlisted: it still ends with the machine once it has a
  // window or a lock.
  [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
}

std::vector<RootProcess> FindRootProcesses() {
  std::map<pid_t, std::vector<std::string>> found;
  AddWindowServers(found);
  AddLockHolders(found);
  AddLogonStarted(found);
  found.erase(::getpid());
  std::vector<RootProcess> processes;
  for (const auto& [pid, reasons] : found) {
    std::string why;
    for (const std::string& r : reasons) why += (why.empty() ? "" : ", ") + r;
    processes.push_back({pid, ProgramName(pid), why});
  }
  return processes;
}

pid_t DeviceServicePid() {
  const std::string lock = std::string("lock ") + DRIVER_NAME;
  for (const RootProcess& p : FindRootProcesses())
    if (p.why.find(lock) != std::string::npos) return p.pid;
  return 0;
}

bool ProcessRunning(pid_t pid) {
  std::vector<std::string> f = StatFields(pid);
  return !f.empty() && f[0] != "Z" && f[0] != "X";
}

namespace {

constexpr char kDeleted[] = " (deleted)";

// The file PID runs as /proc names it ("/usr/lib/qx-com/qxwmecomd (deleted)"), "" when it is gone.
std::string ProgramFile(pid_t pid) {
  char target[4096];
  const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "";
}

}  // namespace

bool ProgramReplaced(pid_t pid) { return ProgramFile(pid).ends_with(kDeleted); }

std::string ProgramName(pid_t pid) {
  std::string path = ProgramFile(pid);
  if (!path.empty()) {
    if (path.ends_with(kDeleted)) path.resize(path.size() - std::strlen(kDeleted));
    return path.substr(path.find_last_of('/') + 1);
  }
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

std::vector<pid_t> EndProcesses(const std::vector<pid_t>& pids, int graceMs) {
  std::map<int, pid_t> byFd;
  std::vector<int> pidfds;
  for (pid_t pid : pids) {
    int fd = PidFd(pid);
    if (fd < 0) continue;  // gone already
    byFd[fd] = pid;
    pidfds.push_back(fd);
    Signal(fd, SIGTERM);
  }
  std::vector<int> stubborn = WaitForEnd(pidfds, Clock::now() + std::chrono::milliseconds(graceMs));
  std::vector<pid_t> killed;
  for (int fd : stubborn) {
    Signal(fd, SIGKILL);
    killed.push_back(byFd[fd]);
  }
  for (int fd : WaitForEnd(stubborn, Clock::now() + std::chrono::seconds(5))) ::close(fd);
  return killed;
}

int EndTimeoutMs() { return MillisecondsFromEnvironment("QX_END_TIMEOUT_MS", 5000); }

}  // namespace qx::machine
