#include "device/server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "device/request_reader.h"
#include "host/device_frame.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxClients = 256;
// A client's next request is served only while its unread replies are fewer bytes than this;
// meanwhile it is not read from either, so its requests wait in its own socket.
constexpr std::size_t kClientReplyCap = 64u << 10;
// A request that may get a large reply (the journal) is served only while the unread replies of
// all clients together leave room for one more such reply under this.
constexpr std::size_t kTotalReplyCap = 40u << 20;
// How long one client's requests are served in a row before the others get their turn.
constexpr auto kServeSlice = std::chrono::milliseconds(2);
// A client that has taken nothing of its unread replies for this long is disconnected, so that
// clients that never read cannot hold the room for large replies for ever.
constexpr auto kStalledReader = std::chrono::seconds(10);

}  // namespace

struct DeviceServer::Client {
  int fd = -1;
  RequestReader in;
  std::vector<std::uint8_t> out;
  std::size_t outSent = 0;
  Clock::time_point lastTaken;  // when it last took some of its replies (or had none)
  bool hungUp = false;          // it will send nothing more
  // For a first request the controller holds (Controller::Holds): when it is answered at the latest.
  std::optional<Clock::time_point> heldUntil;

  std::size_t Pending() const { return out.size() - outSent; }
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

  // A socket file left by a service that died is stale; one that answers (or is too busy to) is
  // another service.
  int probe = ConnectUnix(path_, Clock::now() + std::chrono::seconds(1));
  if (probe >= 0 || errno == ETIMEDOUT) {
    if (probe >= 0) ::close(probe);
    std::fprintf(stderr, "qxwmecomd: another device service already serves %s\n", path_.c_str());
    return false;
  }
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
  while (!stop_) {
    WakeInputs(false);
    const int timeout = PreparePoll();
    if (::poll(fds_.data(), fds_.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "qxwmecomd: poll: %s\n", std::strerror(errno));
      break;
    }
    // The inputs' reports are made before the requests that came in meanwhile are answered.
    WakeInputs(true);
    ServeClients();
    if (fds_[0].revents & POLLIN) AcceptClients();
  }
  for (Client& c : clients_) ::close(c.fd);
  clients_.clear();
  pendingTotal_ = 0;
}

int DeviceServer::PreparePoll() {
  const Clock::time_point now = Clock::now();
  // Requests left over from a client's turn are served at once; the time-out otherwise bounds
  // how late a stop request is noticed, and wakes the loop when an input is due.
  int timeout = 250;
  auto wakeBy = [&](std::optional<Clock::time_point> due) {
    if (!due) return;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
    timeout = static_cast<int>(std::clamp<long long>(wait, 0, timeout));
  };
  fds_.clear();
  fds_.push_back({listenFd_, POLLIN, 0});
  for (Client& c : clients_) {
    short events = 0;
    if (!c.hungUp && c.in.Room() > 0 && c.Pending() < kClientReplyCap) events |= POLLIN;
    if (c.Pending() > 0) events |= POLLOUT;
    if (Servable(c)) timeout = 0;
    else wakeBy(c.heldUntil);
    fds_.push_back({c.fd, events, 0});
  }
  firstInput_ = fds_.size();
  for (TouchInput* input : controller_.inputs()) {
    fds_.push_back({input->Descriptor(), POLLIN, 0});
    wakeBy(input->NextDue());
  }
  // The touch path's own timers (the automatic right button) and its outputs'.
  wakeBy(controller_.touchPath().NextDue());
  return timeout;
}

void DeviceServer::WakeInputs(bool polled) {
  const Clock::time_point now = Clock::now();
  const std::vector<TouchInput*>& inputs = controller_.inputs();
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    bool readable = polled && (fds_[firstInput_ + k].revents & (POLLIN | POLLHUP | POLLERR));
    inputs[k]->Wake(now, readable, controller_.touchPath());
  }
  controller_.touchPath().Wake(now);
}

void DeviceServer::ServeClients() {
  std::size_t i = 1;
  for (auto it = clients_.begin(); it != clients_.end(); ++i) {
    if (Attend(*it, fds_[i].revents)) {
      ++it;
      continue;
    }
    pendingTotal_ -= it->Pending();
    ::close(it->fd);
    it = clients_.erase(it);
  }
}

bool DeviceServer::Attend(Client& c, short revents) {
  if ((revents & (POLLIN | POLLHUP | POLLERR)) && !Receive(c)) return false;
  if (!Serve(c)) return false;
  if (c.Pending() > 0 && !WriteTo(c)) return false;
  if (c.Pending() > 0 && Clock::now() - c.lastTaken > kStalledReader) return false;
  // A client that hung up goes once everything it sent is answered, or cannot be.
  Request r;
  return !(c.hungUp && (c.Pending() == 0 || (revents & POLLERR)) && c.in.Peek(r) != RequestReader::State::kRequest);
}

void DeviceServer::AcceptClients() {
  for (;;) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    if (clients_.size() >= kMaxClients) {
      ::close(fd);
      continue;
    }
    Client& c = clients_.emplace_back();
    c.fd = fd;
    c.lastTaken = Clock::now();
  }
}

// Reads what the client sent, as far as its reader has room; false when the client is to go.
// A read that came back short has taken all there was: the next read would only say so
// (EAGAIN), one system call more per request, whereas the poll wakes the loop again for what
// comes later.
bool DeviceServer::Receive(Client& c) {
  std::uint8_t chunk[65536];
  while (!c.hungUp && c.in.Room() > 0) {
    const std::size_t asked = std::min(sizeof chunk, c.in.Room());
    ssize_t n = ::recv(c.fd, chunk, asked, 0);
    if (n > 0) {
      c.in.Append(chunk, static_cast<std::size_t>(n));
      if (static_cast<std::size_t>(n) < asked) break;
      continue;
    }
    if (n == 0) {
      c.hungUp = true;
      break;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    return false;
  }
  return true;
}

bool DeviceServer::Servable(const Client& c) const {
  Request r;
  if (c.in.Peek(r) != RequestReader::State::kRequest) return false;
  if (controller_.Holds(r.code) && !(c.heldUntil && Clock::now() >= *c.heldUntil)) return false;
  return c.Pending() < kClientReplyCap && pendingTotal_ + Controller::ReplyBound(r.code) <= kTotalReplyCap;
}

// Answers the client's whole requests for one turn: while its unread replies stay under its cap,
// while a large reply still fits under the total cap, and for no longer than one slice.
// False when the client is to go (a malformed frame).
bool DeviceServer::Serve(Client& c) {
  const Clock::time_point start = Clock::now();
  Request r;
  for (;;) {
    RequestReader::State state = c.in.Peek(r);
    if (state == RequestReader::State::kMalformed) return false;  // not our peer
    // A request the controller holds waits from the moment it is first seen.
    if (state == RequestReader::State::kRequest && !c.heldUntil && controller_.Holds(r.code))
      c.heldUntil = start + std::chrono::milliseconds(kRbfWaitHoldMs);
    if (state == RequestReader::State::kNeedMore || !Servable(c) || Clock::now() - start >= kServeSlice) return true;
    DeviceReply reply = controller_.Handle(r.code, r.payload, r.size);
    c.in.Pop();
    c.heldUntil.reset();
    if (c.Pending() == 0) c.lastTaken = Clock::now();
    // What was sent is dropped before the buffer grows, so it holds little beyond what is unread.
    if (c.outSent > 0 && c.outSent >= c.Pending()) {
      c.out.erase(c.out.begin(), c.out.begin() + static_cast<std::ptrdiff_t>(c.outSent));
      c.outSent = 0;
    }
    std::uint8_t header[frame::kHeaderSize];
    frame::PutU32(header, reply.success ? 1 : 0);
    frame::PutU32(header + 4, static_cast<std::uint32_t>(reply.data.size()));
    c.out.insert(c.out.end(), header, header + sizeof header);
    c.out.insert(c.out.end(), reply.data.begin(), reply.data.end());
    pendingTotal_ += sizeof header + reply.data.size();
  }
}

bool DeviceServer::WriteTo(Client& c) {
  while (c.Pending() > 0) {
    ssize_t n = ::send(c.fd, c.out.data() + c.outSent, c.Pending(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.outSent += static_cast<std::size_t>(n);
      pendingTotal_ -= static_cast<std::size_t>(n);
      c.lastTaken = Clock::now();
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
