// A real device service (qxwmecomd) serving the current machine root, for the life of the object.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace qx::test {

class DeviceService {
 public:
  // Starts the service with ARGS besides the root, and the extra environment entries ENV, and waits
  // until it answers. By default it drives no desktop pointer, whatever DISPLAY the tests run with.
  explicit DeviceService(std::vector<std::string> args = {"--pointer", "none"}, std::vector<std::string> env = {});
  ~DeviceService();
  DeviceService(const DeviceService&) = delete;
  DeviceService& operator=(const DeviceService&) = delete;

  // Ends it (SIGTERM, or SIGKILL for a crash) and waits for its end.
  void Stop(int sig = SIGTERM);
  void Start();
  pid_t pid() const { return pid_; }

  // A connection of its own to the current root's device socket, for a test that speaks frames
  // itself; -1 when nothing accepts it.
  static int ConnectRaw();

  // qxctl against this root; the result of qxctl's run.
  static std::string Qxctl(const std::string& args, int* exitCode = nullptr);
  // qxctl's exit code alone.
  static int QxctlExit(const std::string& args);
  // The last line of qxctl output: where the service's messages are.
  static std::string LogLine();

 private:
  std::vector<std::string> args_;
  std::vector<std::string> env_;
  pid_t pid_ = -1;
};

}  // namespace qx::test
