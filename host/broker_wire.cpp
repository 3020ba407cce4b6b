#include "host/broker_wire.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "host/device_frame.h"

namespace qx::broker {

namespace {

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xff));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  frame::PutU32(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), 4);
}

std::uint32_t Get32(std::string_view data, std::size_t at) {
  return frame::GetU32(reinterpret_cast<const std::uint8_t*>(data.data() + at));
}

std::uint16_t Get16(std::string_view data, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[at]) | static_cast<std::uint8_t>(data[at + 1]) << 8);
}

// The descriptors a message brought: the first into FD, the others closed.
void TakeDescriptors(msghdr& header, UniqueFd& fd) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int one;
      std::memcpy(&one, CMSG_DATA(c) + i * sizeof(int), sizeof one);
      if (!fd) fd.reset(one);
      else ::close(one);
    }
  }
}

}  // namespace

bool Send(int socket, std::uint32_t first, std::string_view payload, int fd) {
  std::vector<std::uint8_t> bytes = frame::Encode(first, reinterpret_cast<const std::uint8_t*>(payload.data()),
                                                  static_cast<std::uint32_t>(payload.size()));
  iovec io{bytes.data(), bytes.size()};
  msghdr header{};
  header.msg_iov = &io;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  if (fd >= 0) {
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&header);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
  }
  ssize_t sent;
  do sent = ::sendmsg(socket, &header, MSG_NOSIGNAL);
  while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(bytes.size());
}

bool Receive(int socket, Message& message, bool takeFd) {
  char data[kMaxMessage + 1];
  iovec io{data, sizeof data};
  msghdr header{};
  header.msg_iov = &io;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
  if (takeFd) {
    header.msg_control = control;
    header.msg_controllen = sizeof control;
  }
  ssize_t got;
  do got = ::recvmsg(socket, &header, MSG_CMSG_CLOEXEC);
  while (got < 0 && errno == EINTR);
  message.fd.reset();
  if (takeFd && got >= 0) TakeDescriptors(header, message.fd);
  if (got < 8 || (header.msg_flags & MSG_TRUNC)) return false;
  const std::string_view frame(data, static_cast<std::size_t>(got));
  if (Get32(frame, 4) != frame.size() - 8) return false;
  message.first = Get32(frame, 0);
  message.payload.assign(frame.substr(8));
  return true;
}

std::string EncodeSize(int width, int height) {
  std::string out;
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  return out;
}

bool DecodeSize(std::string_view payload, int& width, int& height) {
  if (payload.size() != 8) return false;
  const std::uint32_t w = Get32(payload, 0), h = Get32(payload, 4);
  if (w < 1 || h < 1 || w > kMaxPointerAxis || h > kMaxPointerAxis) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

std::string EncodeEvents(const std::vector<PointerEvent>& events) {
  std::string out;
  for (const PointerEvent& e : events) {
    Put16(out, e.type);
    Put16(out, e.code);
    Put32(out, static_cast<std::uint32_t>(e.value));
  }
  return out;
}

bool DecodeEvents(std::string_view payload, std::vector<PointerEvent>& events) {
  if (payload.empty() || payload.size() % 8 || payload.size() / 8 > kMaxEvents) return false;
  events.clear();
  for (std::size_t at = 0; at < payload.size(); at += 8)
    events.push_back({Get16(payload, at), Get16(payload, at + 2), static_cast<std::int32_t>(Get32(payload, at + 4))});
  return true;
}

}  // namespace qx::broker
