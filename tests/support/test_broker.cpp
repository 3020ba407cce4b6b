#include "tests/support/test_broker.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx::test {

namespace {

// The broker's socket as its socket unit makes it: a blocking listener every user may reach.
int ListeningSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0)
    throw std::runtime_error("cannot listen on " + path);
  ::chmod(path.c_str(), 0666);
  return fd;
}

}  // namespace

// Started as systemd starts it: handed its listening socket as descriptor 3 (LISTEN_FDS).
TestBroker::TestBroker(DeviceBed& bed, const std::string& folder, uid_t active)
    : folder_(folder), socket_(folder + "/broker") {
  ::chmod(folder.c_str(), 0755);
  SetActive(std::to_string(active));
  const int listener = ListeningSocket(socket_);
  const std::string start = "exec 3<&" + std::to_string(listener) + "; LISTEN_PID=$$ LISTEN_FDS=1 exec '" +
                            Program("qx-com-broker") + "' --seat-file '" + folder_ + "/seat'";
  bed.Preloaded([&] { pid_ = Spawn({"/bin/bash", "-c", start}, folder_ + "/broker.log"); });
  ::close(listener);
}

TestBroker::~TestBroker() {
  if (pid_ > 0) KillAndWait(pid_, SIGTERM);
}

// Written beside the file and renamed over it, as a seat's change lands at once.
void TestBroker::SetActive(const std::string& uid) {
  WriteFile(folder_ + "/seat.new", uid);
  std::rename((folder_ + "/seat.new").c_str(), (folder_ + "/seat").c_str());
}

std::string TestBroker::Log() const { return ReadFile(folder_ + "/broker.log"); }

}  // namespace qx::test
