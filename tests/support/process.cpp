#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <sstream>

#include "host/machine_root.h"

namespace qx::test {

std::string Program(const std::string& name) { return std::string(QX_BIN_DIR) + "/" + name; }

namespace {

std::vector<char*> CStrings(const std::vector<std::string>& items) {
  std::vector<char*> out;
  for (const std::string& s : items) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutMs) {
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    auto args = CStrings(argv);
    execv(args[0], args.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        (i ? result.err : result.out).append(buf, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.maxRssKb = usage.ru_maxrss;
  return result;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& log, const std::vector<std::string>& env) {
  pid_t pid = fork();
  if (pid == 0) {
    int out = log.empty() ? open("/dev/null", O_WRONLY) : open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(out, 1);
    dup2(out, 2);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    auto args = CStrings(argv);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

RunResult Qxmachine(const std::string& command, const std::vector<std::string>& env, int timeoutMs) {
  std::vector<std::string> argv = {Program("qxmachine"), "--root", MachineRoot()};
  std::istringstream words(command);
  for (std::string w; words >> w;) argv.push_back(w);
  return Run(argv, env, timeoutMs);
}

int KillAndWait(pid_t pid, int sig) {
  kill(pid, sig);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

}  // namespace qx::test
