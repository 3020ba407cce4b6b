#include "device/server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>
#include <vector>

#include "host/device_frame.h"

namespace qx {

namespace {

constexpr std::size_t kMaxClients = 256;
// A client that does not read its replies is cut off before they pile up past this.
constexpr std::size_t kMaxPendingOutput = 16u << 20;

}  // namespace

struct DeviceServer::Client {
  int fd = -1;
  std::vector<std::uint8_t> in;
  std::vector<std::uint8_t> out;
  std::size_t outSent = 0;
};

DeviceServer::DeviceServer(std::string socketPath, Controller& controller)
    : path_(std::move(socketPath)), controller_(controller) {}

DeviceServer::~DeviceServer() {
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(path_.c_str());
  }
}

bool DeviceServer::Listen() {
  sockaddr_un addr{};
  if (path_.size() >= sizeof(addr.sun_path)) {
    std::fprintf(stderr, "qxwmecomd: socket path too long: %s\n", path_.c_str());
    return false;
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);

  // A socket file left by a service that died is stale; one that answers is another service.
  int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    ::close(probe);
    std::fprintf(stderr, "qxwmecomd: another device service already serves %s\n", path_.c_str());
    return false;
  }
  if (probe >= 0) ::close(probe);
  ::unlink(path_.c_str());

  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  mode_t old = ::umask(0077);
  bool ok = listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::umask(old);
  if (ok) ::chmod(path_.c_str(), 0600);
  if (!ok || ::listen(listenFd_, 64) != 0) {
    std::fprintf(stderr, "qxwmecomd: cannot serve %s: %s\n", path_.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

void DeviceServer::Run() {
  std::list<Client> clients;
  std::vector<pollfd> fds;
  while (!stop_) {
    fds.clear();
    fds.push_back({listenFd_, POLLIN, 0});
    for (Client& c : clients) {
      short events = POLLIN;
      if (c.outSent < c.out.size()) events |= POLLOUT;
      fds.push_back({c.fd, events, 0});
    }
    // The time-out only bounds how late a stop request is noticed.
    int n = ::poll(fds.data(), fds.size(), 250);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "qxwmecomd: poll: %s\n", std::strerror(errno));
      return;
    }
    if (n == 0) continue;

    std::size_t i = 1;
    for (auto it = clients.begin(); it != clients.end(); ++i) {
      short revents = fds[i].revents;
      bool keep = true;
      if (revents & (POLLIN | POLLHUP | POLLERR)) keep = ReadFrom(*it);
      if (keep && (revents & POLLOUT)) keep = WriteTo(*it);
      if (keep) {
        ++it;
      } else {
        ::close(it->fd);
        it = clients.erase(it);
      }
    }
    if (fds[0].revents & POLLIN) {
      for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) break;
        if (clients.size() >= kMaxClients) {
          ::close(fd);
          continue;
        }
        clients.push_back(Client{fd, {}, {}, 0});
      }
    }
  }
  for (Client& c : clients) ::close(c.fd);
}

// Reads what the client sent and answers every whole frame; false when the client is to go.
bool DeviceServer::ReadFrom(Client& c) {
  std::uint8_t chunk[65536];
  for (;;) {
    ssize_t n = ::recv(c.fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      c.in.insert(c.in.end(), chunk, chunk + n);
      if (n < static_cast<ssize_t>(sizeof chunk)) break;
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    return false;
  }

  std::size_t used = 0;
  while (c.in.size() - used >= frame::kHeaderSize) {
    const std::uint8_t* head = c.in.data() + used;
    std::uint32_t code = frame::GetU32(head);
    std::uint32_t size = frame::GetU32(head + 4);
    if (size > frame::kMaxPayload) return false;  // no request is that large: not our peer
    if (c.in.size() - used < frame::kHeaderSize + size) break;
    DeviceReply reply = controller_.Handle(code, head + frame::kHeaderSize, size);
    std::vector<std::uint8_t> bytes =
        frame::Encode(reply.success ? 1 : 0, reply.data.data(), static_cast<std::uint32_t>(reply.data.size()));
    c.out.insert(c.out.end(), bytes.begin(), bytes.end());
    used += frame::kHeaderSize + size;
  }
  c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(used));
  if (c.out.size() - c.outSent > kMaxPendingOutput) return false;
  return WriteTo(c);
}

bool DeviceServer::WriteTo(Client& c) {
  while (c.outSent < c.out.size()) {
    ssize_t n = ::send(c.fd, c.out.data() + c.outSent, c.out.size() - c.outSent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.outSent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    return false;
  }
  c.out.clear();
  c.outSent = 0;
  return true;
}

}  // namespace qx
