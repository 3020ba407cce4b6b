#include "tests/support/device_service.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "host/machine_root.h"
#include "host/program_log.h"
#include "tests/support/process.h"
#include "tests/support/wait.h"

namespace qx::test {

namespace {

bool Answers(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (fd >= 0) close(fd);
  return ok;
}

}  // namespace

DeviceService::DeviceService(std::vector<std::string> args, std::vector<std::string> env)
    : args_(std::move(args)), env_(std::move(env)) {
  Start();
}

int DeviceService::ConnectRaw() {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string path = RunDir() + "/QXWMECOM";
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

DeviceService::~DeviceService() {
  if (pid_ > 0) Stop();
}

void DeviceService::Start() {
  std::string root = MachineRoot();
  std::vector<std::string> argv = {Program("qxwmecomd"), "--root", root};
  argv.insert(argv.end(), args_.begin(), args_.end());
  pid_ = Spawn(argv, root + "/qxwmecomd.log", env_);
  if (!WaitUntil([&] { return Answers(root + "/run/QXWMECOM"); }, 10000, 5))
    throw std::runtime_error("qxwmecomd did not start");
}

void DeviceService::Stop(int sig) {
  if (pid_ > 0) KillAndWait(pid_, sig);
  pid_ = -1;
}

std::string DeviceService::Qxctl(const std::string& args, int* exitCode) {
  std::vector<std::string> argv = {Program("qxctl"), "--root", MachineRoot()};
  std::istringstream words(args);
  for (std::string w; words >> w;) argv.push_back(w);
  RunResult r = Run(argv);
  if (exitCode) *exitCode = r.exitCode;
  return r.out;
}

int DeviceService::QxctlExit(const std::string& args) {
  int code = -1;
  Qxctl(args, &code);
  return code;
}

std::string DeviceService::LogLine() { return "Log: " + ProgramLogPlace("qxwmecomd") + "\n"; }

}  // namespace qx::test
