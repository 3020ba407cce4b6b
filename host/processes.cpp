#include "host/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "host/failing_calls.h"
#include "host/handles.h"
#include "host/paths.h"

extern char** environ;

namespace qx {

namespace {

struct CommandLine {
  std::string program;  // the Windows path as written
  std::vector<std::string> args;
};

bool IsRegularFile(const std::string& windowsPath) {
  struct stat st;
  return ::stat(HostPath(windowsPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithExe(const std::string& text) {
  if (text.size() < 4) return false;
  std::string tail = text.substr(text.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".exe";
}

// Blank-separated words; double quotes group blanks into a word and are dropped.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

CommandLine Parse(const std::string& line) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  std::string text = line.substr(start);
  CommandLine parsed;
  std::size_t end;  // where the program path ends in TEXT
  if (text[0] == '"') {
    std::size_t close = text.find('"', 1);
    parsed.program = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    end = close == std::string::npos ? text.size() : close + 1;
  } else {
    // Every blank may end the path; take the first prefix that is an existing file, else the
    // first that looks like a program, else the first word.
    std::vector<std::size_t> ends;
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] == ' ' || text[i] == '\t') ends.push_back(i);
    ends.push_back(text.size());
    end = std::string::npos;
    for (std::size_t e : ends)
      if (end == std::string::npos && IsRegularFile(text.substr(0, e))) end = e;
    for (std::size_t e : ends)
      if (end == std::string::npos && EndsWithExe(text.substr(0, e))) end = e;
    if (end == std::string::npos) end = ends.front();
    parsed.program = text.substr(0, end);
  }
  parsed.args = SplitArguments(text.substr(end));
  return parsed;
}

// Why PATH cannot be run, as a WinExec code; 0 when it looks runnable.
UINT CheckProgram(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    std::string folder = path.substr(0, path.find_last_of('/') + 1);
    struct stat dir;
    bool folderExists = folder.empty() || (::stat(folder.c_str(), &dir) == 0 && S_ISDIR(dir.st_mode));
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  if (!S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0) return ERROR_BAD_FORMAT;
  return 0;
}

// What the two forked processes tell the starter through a pipe, one record per write.
struct Report {
  char tag;  // 'p': the program's process id; 'e': exec failed with this errno
  int value;
};

void Tell(int fd, char tag, int value) {
  Report r{tag, value};
  ssize_t ignored = ::write(fd, &r, sizeof r);
  (void)ignored;
}

// The processes this program started last, each with a pidfd taken before it ran: as on Windows,
// where the starter's handle keeps a process that ended openable, OpenProcess finds one of them
// even when it ended (and was reaped) before it was asked for.
constexpr std::size_t kKeptStarts = 16;
struct Started {
  pid_t pid;
  int pidfd;
};
std::mutex startedLock;
std::deque<Started> started;

void KeepStarted(pid_t pid) {
  const long fd = ::syscall(SYS_pidfd_open, pid, 0);
  if (fd < 0) return;
  const int kept = ::fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 3);  // clear of the standard descriptors
  ::close(static_cast<int>(fd));
  if (kept < 0) return;
  std::lock_guard<std::mutex> hold(startedLock);
  started.push_back({pid, kept});
  if (started.size() > kKeptStarts) {
    ::close(started.front().pidfd);
    started.pop_front();
  }
}

// A new descriptor on the kept pidfd of PID; -1 when this program did not start it lately.
int KeptStart(pid_t pid) {
  std::lock_guard<std::mutex> hold(startedLock);
  for (auto it = started.rbegin(); it != started.rend(); ++it)
    if (it->pid == pid) return ::fcntl(it->pidfd, F_DUPFD_CLOEXEC, 1);
  return -1;
}

}  // namespace

UINT StartProcess(const char* commandLine, UINT showCmd, DWORD* processId) {
  if (processId) *processId = 0;
  CommandLine parsed = Parse(commandLine ? commandLine : "");
  if (parsed.program.empty()) return ERROR_FILE_NOT_FOUND;
  std::vector<std::string> argStrings{HostPath(parsed.program)};
  argStrings.insert(argStrings.end(), parsed.args.begin(), parsed.args.end());
  return StartHostProgram(std::move(argStrings), showCmd, processId);
}

UINT StartHostProgram(std::vector<std::string> argStrings, UINT showCmd, DWORD* processId) {
  if (processId) *processId = 0;
  if (argStrings.empty() || argStrings[0].empty()) return ERROR_FILE_NOT_FOUND;
  if (UINT problem = CheckProgram(argStrings[0])) return problem;

  // Everything the children use is made before fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string show = "QX_SHOWCMD=" + std::to_string(showCmd);
  std::vector<char*> envp;
  for (char** e = environ; e && *e; ++e)
    if (std::strncmp(*e, "QX_SHOWCMD=", 11) != 0) envp.push_back(*e);
  envp.push_back(show.data());
  envp.push_back(nullptr);
  const char* log = std::getenv("QX_PROCESS_LOG");
  int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int out = log && *log ? ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)
                        : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  int report[2];
  // The program waits on GO until the starter holds its pidfd: a socket pair, so that telling a
  // program that died meanwhile is an error, not a SIGPIPE.
  int go[2] = {-1, -1};
  if (in < 0 || out < 0 || ::pipe2(report, O_CLOEXEC) != 0 ||
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, go) != 0) {
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
    for (int fd : go)
      if (fd >= 0) ::close(fd);
    return 0;  // out of resources
  }

  // The middle process only makes the program and says its number. Made with vfork, it borrows
  // this process's memory instead of copying it (a Qt program's page tables make each copy cost
  // milliseconds), while this thread waits. It must therefore write nothing of that memory: it
  // makes only system calls, and makes the program by a bare clone (fork() would run its
  // handlers in the borrowed memory), which copies the memory once. No signal handler may run on
  // the borrowed stack meanwhile: all are blocked until it is gone.
  sigset_t all;
  sigset_t kept;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &kept);
  pid_t middle = ::vfork();
  if (middle == 0) {
    ::setsid();
    const auto program = static_cast<pid_t>(::syscall(SYS_clone, SIGCHLD, nullptr, nullptr, nullptr, nullptr));
    if (program == 0) {
      // The handlers go back to their defaults before the signals are let through.
      struct sigaction dfl {};
      dfl.sa_handler = SIG_DFL;
      for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(out, 2);
      // Runs once the starter holds its pidfd, or once the starter is gone.
      ::close(go[1]);
      char ready;
      while (::read(go[0], &ready, 1) < 0 && errno == EINTR) {
      }
      ::execve(argv[0], argv.data(), envp.data());
      Tell(report[1], 'e', errno);
      ::_exit(127);
    }
    Tell(report[1], program > 0 ? 'p' : 'e', program > 0 ? program : errno);
    ::_exit(0);
  }
  ::pthread_sigmask(SIG_SETMASK, &kept, nullptr);
  ::close(report[1]);
  ::close(go[0]);
  ::close(in);
  ::close(out);

  pid_t pid = 0;
  int execError = middle < 0 ? ENOMEM : 0;
  Report r;
  for (;;) {
    ssize_t n = ::read(report[0], &r, sizeof r);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof r)) break;  // end: the program runs or failed
    if (r.tag == 'p') {
      pid = r.value;
      KeepStarted(pid);
      const char ready = 1;
      ssize_t ignored = ::send(go[1], &ready, 1, MSG_NOSIGNAL);
      (void)ignored;
    } else {
      execError = r.value;
    }
  }
  ::close(go[1]);
  ::close(report[0]);
  if (middle > 0) {
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  if (execError == ENOENT) return ERROR_FILE_NOT_FOUND;
  if (execError == ENOEXEC || execError == EACCES) return ERROR_BAD_FORMAT;
  if (execError || pid <= 0) return 0;
  if (processId) *processId = static_cast<DWORD>(pid);
  return EXEC_STARTED;
}

UINT StartupShowCommand() {
  const char* value = std::getenv("QX_SHOWCMD");
  if (!value || !*value) return SW_SHOWNORMAL;
  char* end = nullptr;
  const unsigned long show = std::strtoul(value, &end, 10);
  return *end == '\0' && show <= 0xFFFF ? static_cast<UINT>(show) : SW_SHOWNORMAL;
}

UINT WinExec(const char* commandLine, UINT showCmd) { return StartProcess(commandLine, showCmd, nullptr); }

HANDLE OpenProcess(DWORD desiredAccess, BOOL, DWORD processId) {
  if (!(desiredAccess & SYNCHRONIZE) || processId == 0 || processId > INT_MAX) return 0;
  long fd = KeptStart(static_cast<pid_t>(processId));
  if (fd < 0) fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(processId), 0);
  if (fd < 0) return 0;
  if (fd == 0) {  // 0 is the null handle: keep the descriptor above it
    long moved = ::fcntl(0, F_DUPFD_CLOEXEC, 1);
    ::close(0);
    if (moved < 0) return 0;
    fd = moved;
  }
  AddHandle(static_cast<int>(fd), HandleKind::Process);
  return static_cast<HANDLE>(fd);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (!IsHandle(handle, HandleKind::Process)) return WAIT_FAILED;
  // A process handle here never fails a wait nor comes back abandoned; tests make it so.
  if (CallFails("WaitForSingleObject")) return WAIT_FAILED;
  if (CallFails("WaitForSingleObject", "WAIT_ABANDONED")) return WAIT_ABANDONED;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    int timeout = -1;
    if (milliseconds != INFINITE) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      timeout = left <= 0 ? 0 : static_cast<int>(left < INT_MAX ? left : INT_MAX);
    }
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    int n = ::poll(&p, 1, timeout);
    if (n > 0) return (p.revents & POLLIN) ? WAIT_OBJECT_0 : WAIT_FAILED;
    if (n == 0) {
      if (timeout != 0 && Clock::now() < deadline) continue;
      return WAIT_TIMEOUT;
    }
    if (errno != EINTR) return WAIT_FAILED;
  }
}

}  // namespace qx
