// Real processes for tests: start one in the background, or run one to its end and take its output.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qx::test {

// The path of one of the project's programs in the build's bin/ folder.
std::string Program(const std::string& name);

struct RunResult {
  int exitCode = -1;  // -1 when it did not end normally
  std::string out;
  std::string err;
  long maxRssKb = 0;  // the most memory it held at once
};

// Runs ARGV to its end (killed after TIMEOUT_MS) with extra environment entries "NAME=value".
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}, int timeoutMs = 30000);

// Starts ARGV in the background with extra environment entries ENV; its output goes to LOG (or nowhere).
pid_t Spawn(const std::vector<std::string>& argv, const std::string& log = "",
            const std::vector<std::string>& env = {});

// qxmachine COMMAND (its words split at blanks) on the current machine root, run to its end.
RunResult Qxmachine(const std::string& command, const std::vector<std::string>& env = {}, int timeoutMs = 30000);

// Sends SIG and waits for PID to end; returns its wait status.
int KillAndWait(pid_t pid, int sig);

}  // namespace qx::test
