// A test of one of the suite's real programs run as processes against a fresh machine root: the
// root, a device service started in it (unless the test boots the root's machine, which starts
// its own), the boxes the programs show, logged and answered by their default button, and the
// programs the test started, ended at its end.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/win_types.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx::test {

class ProgramTest : public ::testing::Test {
 protected:
  enum class Service { kStarted, kNone };

  // For the life of the test QX_MESSAGE_LOG names LogPath() and QT_QPA_PLATFORM is "offscreen" in
  // this process's environment: every program started, by the test, by another program or by the
  // suite's code run in the test, logs its boxes there and needs no screen.
  explicit ProgramTest(Service withService = Service::kStarted);
  // Kills what SpawnProgram started and still runs, and puts the environment back.
  ~ProgramTest() override;

  std::string LogPath() const { return root.path() + "/boxes.log"; }
  std::string Boxes() const { return ReadFile(LogPath()); }
  // One box as the log writes it.
  static std::string LoggedBox(const std::string& title, const std::string& text, int type);
  // The path of NAME in the root's folder.
  std::string RootFile(const std::string& name) const { return root.path() + "/" + name; }

  // The build's program NAME run with ARGS to its end (killed after TIMEOUT_MS), with the extra
  // environment entries ENV.
  static RunResult RunProgram(const std::string& name, const std::vector<std::string>& args = {},
                              const std::vector<std::string>& env = {}, int timeoutMs = 30000);
  // RUN's result while the device service's socket is moved away: the device is there but cannot
  // be opened.
  RunResult WithoutDriver(const std::function<RunResult()>& run) const;

  // The window captioned CAPTION of process PID once FindWindowA finds it shown, or 0 after MS.
  static HWND WaitForWindow(const std::string& caption, pid_t pid, int ms = 10000);

  // ARGV started in the background with the extra environment entries ENV, its output in the
  // root's file LOG.
  pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& log,
                     const std::vector<std::string>& env = {});

  TempRoot root;
  std::optional<DeviceService> service;

 private:
  std::vector<pid_t> spawned_;
  std::optional<std::string> platform_;  // QT_QPA_PLATFORM as it was before the test
};

}  // namespace qx::test
