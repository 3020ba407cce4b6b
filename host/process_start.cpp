#include "host/process_start.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
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
#include "host/program_log.h"
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

// The program's arguments and environment as execve takes them, made before the start's processes
// are: they make only system calls. The environment is this one's, with QX_SHOWCMD.
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

// The descriptors of the program's standard input, and of its output and errors (its log), each
// closed with its holder.
struct StandardDescriptors {
  UniqueFd in, out;
};

// Both for PROGRAM, or nothing when one of them cannot be had.
std::optional<StandardDescriptors> OpenStandardDescriptors(const std::string& program) {
  StandardDescriptors d;
  d.in.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  d.out = OpenProgramLog(program);
  if (!d.in || !d.out) return std::nullopt;
  return d;
}

// A stack for a process that runs in the starter's memory; unmapped with its holder.
class ChildStack {
 public:
  ChildStack() {
    void* base = ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    base_ = base == MAP_FAILED ? nullptr : static_cast<char*>(base);
  }
  ~ChildStack() {
    if (base_) ::munmap(base_, kSize);
  }
  ChildStack(const ChildStack&) = delete;
  ChildStack& operator=(const ChildStack&) = delete;

  explicit operator bool() const { return base_ != nullptr; }
  void* top() const { return base_ + kSize; }  // stacks grow down on the machines we build for

 private:
  // Generous for the few calls made on it, also with the sanitizers' larger frames; only the
  // pages touched are ever backed.
  static constexpr std::size_t kSize = 256 * 1024;
  char* base_ = nullptr;
};

// One start, shared by the starter and the two processes it makes: they run in its memory, each
// while the one before it waits (CLONE_VFORK), so what they write here the starter reads after.
struct Launch {
  Launch(const ExecImage& toRun, const StandardDescriptors& descriptors) : image(toRun), standard(descriptors) {}

  const ExecImage& image;
  const StandardDescriptors& standard;
  ChildStack programStack;
  int pidfd = -1;     // the program's, made with it: in the starter's descriptor table
  pid_t program = 0;  // its process id; 0 when it could not be made (no process or descriptor)
  int execError = 0;  // why exec failed; 0 when the program runs
};

// The program's process: the default signal handling, the standard descriptors, then the program.
// It has a descriptor table of its own, and makes only system calls.
int RunProgram(void* arg) {
  auto& launch = *static_cast<Launch*>(arg);
  // The handlers go back to their defaults before the signals are let through.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::dup2(launch.standard.in.get(), 0);
  ::dup2(launch.standard.out.get(), 1);
  ::dup2(launch.standard.out.get(), 2);
  launch.image.Exec();
  launch.execError = errno;
  ::_exit(127);
}

// The middle process: a session of its own and the program made from it, then its end, so that
// the program is nobody's child here and outlives its starter. It shares the starter's descriptor
// table, where the kernel puts the program's pidfd as it makes the program: a handle on exactly
// that process, however soon it ends. The program borrows the memory too (nothing is copied,
// which for a Qt program's page tables costs milliseconds); the middle goes on once the program
// has become the new program or failed to.
int RunMiddle(void* arg) {
  auto& launch = *static_cast<Launch*>(arg);
  ::setsid();
  const int flags = CLONE_VM | CLONE_VFORK | CLONE_PIDFD | SIGCHLD;
  const pid_t program = ::clone(RunProgram, launch.programStack.top(), flags, arg, &launch.pidfd);
  if (program > 0) launch.program = program;
  ::_exit(0);
}

UINT StartResult(const Launch& launch, DWORD* processId) {
  if (launch.execError == ENOENT) return ERROR_FILE_NOT_FOUND;
  if (launch.execError == ENOEXEC || launch.execError == EACCES) return ERROR_BAD_FORMAT;
  if (launch.execError || launch.program <= 0) return 0;
  if (processId) *processId = static_cast<DWORD>(launch.program);
  return EXEC_STARTED;
}

// Makes the middle process, which makes the program, and waits for its end. No signal handler
// may run on the borrowed memory meanwhile: all are blocked until the middle is gone.
void RunLaunch(Launch& launch) {
  const ChildStack middleStack;
  if (!middleStack || !launch.programStack) return;
  sigset_t all, kept;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &kept);
  const pid_t middle = ::clone(RunMiddle, middleStack.top(), CLONE_VM | CLONE_VFORK | CLONE_FILES | SIGCHLD, &launch);
  ::pthread_sigmask(SIG_SETMASK, &kept, nullptr);
  if (middle < 0) return;
  while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
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
  const std::optional<StandardDescriptors> standard = OpenStandardDescriptors(args[0]);
  const ExecImage image(std::move(args), showCmd);
  if (!standard) return 0;  // out of resources
  Launch launch(image, *standard);
  RunLaunch(launch);
  UniqueFd pidfd(launch.pidfd);
  const UINT result = StartResult(launch, processId);
  if (result == EXEC_STARTED) KeepStartedProcess(static_cast<DWORD>(launch.program), std::move(pidfd));
  return result;
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
