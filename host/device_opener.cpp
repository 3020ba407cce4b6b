#include "host/device_opener.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "host/broker_wire.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

using Clock = std::chrono::steady_clock;

// How long a request to the broker may take, its start by the socket's activation included.
constexpr std::chrono::milliseconds kBrokerWait{3000};

bool WaitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(left, 0)));
    if (ready >= 0 || errno != EINTR) return ready > 0;
  }
}

// Asks the broker at SOCKET one request; its connection, the device's lease, when it grants it,
// the reply in REPLY; else nothing, with REPLY's answer and WHY.
UniqueFd Ask(const std::string& socket, std::uint32_t code, const std::string& payload, broker::Message& reply,
             std::string& why) {
  const Clock::time_point deadline = Clock::now() + kBrokerWait;
  reply = broker::Message{};
  reply.first = broker::kRefused;
  UniqueFd lease(ConnectUnix(socket, deadline, SOCK_SEQPACKET));
  if (!lease) {
    why = "the device broker cannot be reached at " + socket + " (" + std::strerror(errno) + ")";
    return {};
  }
  if (!broker::Send(lease.get(), code, payload) || !WaitReadable(lease.get(), deadline) ||
      !broker::Receive(lease.get(), reply, true)) {
    reply.first = broker::kRefused;
    why = "the device broker did not answer";
    return {};
  }
  if (reply.first == broker::kGranted) return lease;
  why = "the device broker refused: " + reply.payload;
  return {};
}

}  // namespace

std::string BrokerSocket() {
  if (const char* named = std::getenv("QX_BROKER")) return named;
  struct stat st {};
  return ::stat(broker::kSocket, &st) == 0 && S_ISSOCK(st.st_mode) ? broker::kSocket : "";
}

std::unique_ptr<PointerDevice> PointerDevice::Make(int width, int height, std::string& why) {
  const std::string socket = BrokerSocket();
  if (socket.empty()) return MakeHere(width, height, why);
  broker::Message reply;
  UniqueFd lease = Ask(socket, broker::kMakePointer, broker::EncodeSize(width, height), reply, why);
  if (!lease) return nullptr;
  return std::unique_ptr<PointerDevice>(new PointerDevice(std::move(lease), true, reply.payload));
}

std::unique_ptr<PointerDevice> PointerDevice::MakeHere(int width, int height, std::string& why) {
  UniqueFd fd;
  const int rc = MakeUinputPointer(fd, width, height);
  if (rc == 0) {
    std::string node = UinputNode(fd.get());
    return std::unique_ptr<PointerDevice>(new PointerDevice(std::move(fd), false, std::move(node)));
  }
  why = rc == -EACCES || rc == -ENOENT || rc == -EPERM || rc == -EROFS
            ? "/dev/uinput not writable"
            : std::string("cannot make the device: ") + std::strerror(-rc);
  return nullptr;
}

PointerDevice::~PointerDevice() {
  if (!brokered_ && fd_) ::ioctl(fd_.get(), UI_DEV_DESTROY);
}

bool PointerDevice::Write(const std::vector<PointerEvent>& events, std::string& why) {
  if (!brokered_ && WriteInputEvents(fd_.get(), events)) return true;
  if (brokered_ && broker::Send(fd_.get(), broker::kPointerEvents, broker::EncodeEvents(events))) return true;
  const int error = errno;
  if (!brokered_) why = std::string("the kernel took no events: ") + std::strerror(error);
  else if (error == EAGAIN) why = "the device broker does not keep up with the pointer's events";
  else why = TakenBack(fd_.get());
  if (why.empty()) why = "the device broker took it back";
  return false;
}

OpenedNode OpenTouchscreenNode(const std::string& node) {
  OpenedNode opened;
  const std::string socket = BrokerSocket();
  if (socket.empty()) {
    opened.fd.reset(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    opened.error = opened.fd ? 0 : errno;
    if (!opened.fd) opened.why = node + ": " + std::strerror(opened.error);
    return opened;
  }
  broker::Message reply;
  opened.lease = Ask(socket, broker::kOpenTouchscreen, node, reply, opened.why);
  opened.fd = std::move(reply.fd);
  if (opened.lease && opened.fd) return opened;
  if (opened.lease) opened.why = "the device broker passed no descriptor for " + node;
  opened.lease.reset();
  opened.fd.reset();
  opened.refused = true;
  opened.never = reply.first == broker::kNeverGranted;
  return opened;
}

std::string TakenBack(int lease) {
  pollfd p{lease, POLLIN, 0};
  if (::poll(&p, 1, 0) != 1) return "";
  broker::Message last;
  if (broker::Receive(lease, last, false) && last.first == broker::kRefused)
    return "the device broker took it back: " + last.payload;
  return "the device broker took it back";
}

}  // namespace qx
