// qx-com-broker: the device broker. The package's system service runs it, socket-activated on
// /run/qx-com/broker, as a user of its own in a sandbox (package/systemd/qx-com-broker.*): it
// opens the devices the person's device service needs and hands them over, to the user of the
// seat's active session alone (docs/device-broker.md).
#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "broker/broker.h"
#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "host/broker_wire.h"

namespace {

int Usage(int code, const std::string& what = "") {
  if (code) {
    return qx::PrintUsageError("qx-com-broker", what, "Usage: qx-com-broker [--socket PATH] [--seat-file FILE]\n");
  }
  std::printf(
      "Usage: qx-com-broker [--socket PATH] [--seat-file FILE]\n"
      "\n"
      "The device broker: makes the suite's pointer device and opens touchscreens for the device\n"
      "service of the user of the seat's active session, handing them over on its socket, and takes\n"
      "them back when that session stops being the active one. The package's system service runs it,\n"
      "with the socket systemd passes it; it runs until SIGTERM or SIGINT.\n"
      "\n"
      "Options:\n"
      "  --socket PATH     listen on PATH (a socket of packets in sequence) when systemd passes none;\n"
      "                    default /run/qx-com/broker\n"
      "  --seat-file FILE  for tests where no logind runs: the user of every seat's active session is\n"
      "                    the uid FILE holds (none when it is missing or empty), followed as it changes\n"
      "  -h, --help        print this text and exit\n"
      "  --version         print the suite's version and exit\n"
      "\n"
      "Exit status:\n"
      "  0   ended by SIGTERM or SIGINT\n"
      "  1   failed: the socket cannot be listened on, or the seats cannot be followed\n"
      "  64  usage: a wrong command line\n");
  return code;
}

// The socket systemd passed, else one made at PATH (its folder made when missing). Either is
// non-blocking: the broker accepts until none is left waiting, and systemd's socket comes blocking.
qx::UniqueFd Listen(const std::string& path) {
  if (sd_listen_fds(1) == 1 && sd_is_socket_unix(SD_LISTEN_FDS_START, SOCK_SEQPACKET, 1, nullptr, 0) > 0) {
    const int flags = ::fcntl(SD_LISTEN_FDS_START, F_GETFL);
    if (flags < 0 || ::fcntl(SD_LISTEN_FDS_START, F_SETFL, flags | O_NONBLOCK) != 0) return {};
    return qx::UniqueFd(SD_LISTEN_FDS_START);
  }
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) return {};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const std::string folder = path.substr(0, path.rfind('/'));
  if (!folder.empty()) ::mkdir(folder.c_str(), 0755);
  ::unlink(path.c_str());  // a socket left by a broker that ended
  qx::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const mode_t mask = ::umask(0);  // anyone may ask: the broker checks who asks
  const bool bound = fd && ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::umask(mask);
  if (!bound || ::listen(fd.get(), 16) != 0) return {};
  return fd;
}

// A descriptor readable once SIGTERM or SIGINT came.
qx::UniqueFd StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  return qx::UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
}

}  // namespace

int main(int argc, char** argv) {
  std::string socket = qx::broker::kSocket, seatFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--socket" && i + 1 < argc) socket = argv[++i];
    else if (arg == "--seat-file" && i + 1 < argc) seatFile = argv[++i];
    else if (arg == "--help" || arg == "-h") return Usage(qx::exit_code::kOk);
    else if (arg == "--version") return qx::PrintVersion("qx-com-broker");
    else return Usage(qx::exit_code::kUsage, "unknown or incomplete argument '" + arg + "'");
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::string why;
  std::unique_ptr<qx::Seats> seats = seatFile.empty() ? qx::LogindSeats(why) : qx::FileSeats(seatFile, why);
  if (!seats) {
    std::fprintf(stderr, "qx-com-broker: %s\n", why.c_str());
    return qx::exit_code::kFailed;
  }
  qx::UniqueFd listener = Listen(socket);
  if (!listener) {
    std::fprintf(stderr, "qx-com-broker: cannot listen on %s: %s\n", socket.c_str(), std::strerror(errno));
    return qx::exit_code::kFailed;
  }
  qx::UniqueFd stop = StopSignals();
  qx::Broker(std::move(listener), *seats, stop.get()).Run();
  return qx::exit_code::kOk;
}
