#include "device/service_client.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "host/device_frame.h"

namespace qx {

ServiceClient::ServiceClient(int descriptor, Controller::ClientId number, Clock::time_point now)
    : fd(descriptor), id(number), sentAt(now), takenAt(now) {}

ServiceClient::~ServiceClient() {
  if (fd >= 0) ::close(fd);
}

bool ServiceClient::Malformed() const {
  Request r;
  return in.Peek(r) == RequestReader::State::kMalformed;
}

bool ServiceClient::Idle() const {
  Request r;
  return !Next(r) && Pending() == 0;
}

ssize_t ServiceClient::TakeIn(Clock::time_point now) {
  std::uint8_t chunk[16u << 10];
  ssize_t n;
  do {
    n = ::recv(fd, chunk, std::min(sizeof chunk, in.Room()), MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {
    in.Append(chunk, static_cast<std::size_t>(n));
    sentAt = now;
  }
  if (n == 0) hungUp = true;
  return n;
}

std::size_t ServiceClient::Add(DeviceReply reply) {
  const std::size_t bytes = frame::kHeaderSize + reply.data.size();
  if (reply.kept == 0 && held.empty()) {
    PutReply(reply);
  } else {
    heldBytes += bytes;
    held.push_back(std::move(reply));
  }
  return bytes;
}

void ServiceClient::PutReply(const DeviceReply& reply) {
  if (Unsent() == 0) takenAt = Clock::now();  // its wait for the reader starts now
  std::uint8_t header[frame::kHeaderSize];
  frame::PutU32(header, reply.success ? 1 : 0);
  frame::PutU32(header + 4, static_cast<std::uint32_t>(reply.data.size()));
  // Grown once for a large reply (a journal read), not once for its header and again for its text.
  const std::size_t needed = out.size() + sizeof header + reply.data.size();
  if (needed > out.capacity()) out.reserve(std::max(needed, 2 * out.capacity()));
  out.insert(out.end(), header, header + sizeof header);
  out.insert(out.end(), reply.data.begin(), reply.data.end());
}

ssize_t ServiceClient::Send(Clock::time_point now) {
  std::size_t sent = 0;
  while (Unsent() > 0) {
    const ssize_t n = ::send(fd, out.data() + outSent, Unsent(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      outSent += static_cast<std::size_t>(n);
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    return -1;
  }
  if (sent > 0) takenAt = now;
  if (Unsent() > 0 && now - takenAt >= kStalledReader) return -1;
  if (Unsent() == 0) {
    out.clear();
    outSent = 0;
  }
  return static_cast<ssize_t>(sent);
}

std::uint32_t ServiceClient::Interest() const {
  std::uint32_t events = 0;
  if (!hungUp && in.Room() > 0) events |= EPOLLIN;
  if (Unsent() > 0) events |= EPOLLOUT;
  return events;
}

}  // namespace qx
