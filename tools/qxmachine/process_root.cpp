#include "tools/qxmachine/process_root.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "host/machine_root.h"
#include "host/unix_connect.h"

namespace qx::machine {

namespace {

// The zero-separated strings of a /proc file (a command line, an environment).
std::vector<std::string> ZeroSeparated(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> items;
  for (std::string item; std::getline(in, item, '\0');) items.push_back(item);
  return items;
}

std::optional<std::string> LastRootArgument(const std::vector<std::string>& args) {
  std::optional<std::string> root;
  for (std::size_t i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "--root") root = args[++i];
  return root;
}

// The root a process with ENVIRONMENT takes without a --root, as MachineRoot() takes it.
std::optional<std::string> EnvironmentRoot(const std::vector<std::string>& environment) {
  std::map<std::string, std::string> variables;
  for (const std::string& v : environment)
    if (std::size_t eq = v.find('='); eq != std::string::npos) variables[v.substr(0, eq)] = v.substr(eq + 1);
  if (!variables["QX_ROOT"].empty()) return variables["QX_ROOT"];
  if (!variables["XDG_DATA_HOME"].empty()) return variables["XDG_DATA_HOME"] + "/qx-com";
  if (!variables["HOME"].empty()) return variables["HOME"] + "/.local/share/qx-com";
  return std::nullopt;
}

bool SameFolder(const std::string& path, const struct stat& folder) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && st.st_dev == folder.st_dev && st.st_ino == folder.st_ino;
}

}  // namespace

bool RunsOnThisRoot(pid_t pid) {
  struct stat root {};
  if (::stat(MachineRoot().c_str(), &root) != 0) return false;
  const std::string proc = "/proc/" + std::to_string(pid);
  std::optional<std::string> named = LastRootArgument(ZeroSeparated(proc + "/cmdline"));
  if (!named) named = EnvironmentRoot(ZeroSeparated(proc + "/environ"));
  if (!named || named->empty()) return false;
  if (named->front() != '/') {
    char cwd[4096];
    const ssize_t n = ::readlink((proc + "/cwd").c_str(), cwd, sizeof cwd - 1);
    if (n <= 0) return false;
    named = std::string(cwd, static_cast<std::size_t>(n)) + "/" + *named;
  }
  return SameFolder(*named, root);
}

pid_t SocketListener(const std::string& path) {
  const int fd = ConnectUnix(path, std::chrono::steady_clock::now() + std::chrono::milliseconds(200));
  if (fd < 0) return 0;
  ucred peer{};
  socklen_t size = sizeof peer;
  const bool known = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
  ::close(fd);
  return known ? peer.pid : 0;
}

}  // namespace qx::machine
