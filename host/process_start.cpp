#include "host/process_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "host/command_line.h"
#include "host/paths.h"
#include "host/process_handles.h"
#include "host/unique_fd.h"

extern char** environ;

namespace qx {

namespace {

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

// The program's arguments and environment as execve takes them, made before fork: after it the
// children make only async-signal-safe calls. The environment is this one's, with QX_SHOWCMD.
class ExecImage {
 public:
  ExecImage(std::vector<std::string> args, UINT showCmd)
      : args_(std::move(args)), show_("QX_SHOWCMD=" + std::to_string(showCmd)) {
    for (std::string& a : args_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
    for (char** e = environ; e && *e; ++e)
      if (std::strncmp(*e, "QX_SHOWCMD=", 11) != 0) envp_.push_back(*e);
    envp_.push_back(show_.data());
    envp_.push_back(nullptr);
  }
  ExecImage(const ExecImage&) = delete;
  ExecImage& operator=(const ExecImage&) = delete;

  // Runs the program in place of this process; returns only when that fails (errno says why).
  void Exec() const { ::execve(argv_[0], argv_.data(), envp_.data()); }

 private:
  std::vector<std::string> args_;
  std::string show_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

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

// The descriptors of one start, each closed with its holder.
struct StartDescriptors {
  UniqueFd in, out;                  // the program's standard input, and its output and errors
  UniqueFd reportRead, reportWrite;  // the forked processes' reports to the starter
  // The program waits on GO_WAIT until the starter holds its pidfd and sends on GO_SEND: a socket
  // pair, so that telling a program that died meanwhile is an error, not a SIGPIPE.
  UniqueFd goWait, goSend;
};

// All the descriptors of a start, or nothing when one of them cannot be had.
std::optional<StartDescriptors> OpenStartDescriptors() {
  StartDescriptors d;
  const char* log = std::getenv("QX_PROCESS_LOG");
  d.in.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  d.out.reset(log && *log ? ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)
                          : ::open("/dev/null", O_WRONLY | O_CLOEXEC));
  int pair[2];
  if (!d.in || !d.out || ::pipe2(pair, O_CLOEXEC) != 0) return std::nullopt;
  d.reportRead.reset(pair[0]);
  d.reportWrite.reset(pair[1]);
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return std::nullopt;
  d.goWait.reset(pair[0]);
  d.goSend.reset(pair[1]);
  return d;
}

// The program's process: the default signal handling, the standard descriptors, then, once the
// starter holds its pidfd (or is gone), the program.
[[noreturn]] void RunProgram(const ExecImage& image, const StartDescriptors& d) {
  // The handlers go back to their defaults before the signals are let through.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::dup2(d.in.get(), 0);
  ::dup2(d.out.get(), 1);
  ::dup2(d.out.get(), 2);
  ::close(d.goSend.get());
  char ready;
  while (::read(d.goWait.get(), &ready, 1) < 0 && errno == EINTR) {
  }
  image.Exec();
  Tell(d.reportWrite.get(), 'e', errno);
  ::_exit(127);
}

// The middle process: a session of its own, the program made from it and its id told, then its
// end, so that the program is nobody's child here and outlives its starter. It runs in the
// starter's memory (vfork): it makes only system calls, and makes the program by a bare clone
// (fork() would run its handlers in the borrowed memory), which copies the memory once.
[[noreturn]] void RunMiddle(const ExecImage& image, const StartDescriptors& d) {
  ::setsid();
  const auto program = static_cast<pid_t>(::syscall(SYS_clone, SIGCHLD, nullptr, nullptr, nullptr, nullptr));
  if (program == 0) RunProgram(image, d);
  Tell(d.reportWrite.get(), program > 0 ? 'p' : 'e', program > 0 ? program : errno);
  ::_exit(0);
}

struct Outcome {
  pid_t pid = 0;
  int execError = 0;
};

// The reports until the pipe ends (the program runs, or did not start): its process id, whose
// pidfd is kept before the program is let go on GO_SEND, or why it could not start.
Outcome ReadReports(int reportRead, int goSend) {
  Outcome outcome;
  Report r;
  for (;;) {
    const ssize_t n = ::read(reportRead, &r, sizeof r);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof r)) return outcome;
    if (r.tag == 'p') {
      outcome.pid = r.value;
      KeepStartedProcess(static_cast<DWORD>(r.value));
      const char ready = 1;
      ssize_t ignored = ::send(goSend, &ready, 1, MSG_NOSIGNAL);
      (void)ignored;
    } else {
      outcome.execError = r.value;
    }
  }
}

UINT StartResult(const Outcome& outcome, DWORD* processId) {
  if (outcome.execError == ENOENT) return ERROR_FILE_NOT_FOUND;
  if (outcome.execError == ENOEXEC || outcome.execError == EACCES) return ERROR_BAD_FORMAT;
  if (outcome.execError || outcome.pid <= 0) return 0;
  if (processId) *processId = static_cast<DWORD>(outcome.pid);
  return EXEC_STARTED;
}

}  // namespace

UINT StartProcess(const char* commandLine, UINT showCmd, DWORD* processId) {
  if (processId) *processId = 0;
  const CommandLine parsed = ParseCommandLine(commandLine ? commandLine : "");
  if (parsed.program.empty()) return ERROR_FILE_NOT_FOUND;
  std::vector<std::string> args{HostPath(parsed.program)};
  args.insert(args.end(), parsed.args.begin(), parsed.args.end());
  return StartHostProgram(std::move(args), showCmd, processId);
}

UINT StartHostProgram(std::vector<std::string> args, UINT showCmd, DWORD* processId) {
  if (processId) *processId = 0;
  if (args.empty() || args[0].empty()) return ERROR_FILE_NOT_FOUND;
  if (UINT problem = CheckProgram(args[0])) return problem;
  const ExecImage image(std::move(args), showCmd);
  std::optional<StartDescriptors> d = OpenStartDescriptors();
  if (!d) return 0;  // out of resources

  // The middle process borrows this process's memory (vfork) instead of copying it: a Qt
  // program's page tables make each copy cost milliseconds. No signal handler may run on the
  // borrowed stack meanwhile: all are blocked until it is gone.
  sigset_t all, kept;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &kept);
  const pid_t middle = ::vfork();
  if (middle == 0) RunMiddle(image, *d);
  ::pthread_sigmask(SIG_SETMASK, &kept, nullptr);
  // The children's ends: once the forked processes hold the only copies, the reports end with them.
  d->reportWrite.reset();
  d->goWait.reset();
  d->in.reset();
  d->out.reset();
  const Outcome outcome = middle > 0 ? ReadReports(d->reportRead.get(), d->goSend.get()) : Outcome{0, ENOMEM};
  d.reset();
  if (middle > 0) {
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  return StartResult(outcome, processId);
}

UINT StartupShowCommand() {
  const char* value = std::getenv("QX_SHOWCMD");
  if (!value || !*value) return SW_SHOWNORMAL;
  char* end = nullptr;
  const unsigned long show = std::strtoul(value, &end, 10);
  return *end == '\0' && show <= 0xFFFF ? static_cast<UINT>(show) : SW_SHOWNORMAL;
}

UINT WinExec(const char* commandLine, UINT showCmd) { return StartProcess(commandLine, showCmd, nullptr); }

}  // namespace qx
