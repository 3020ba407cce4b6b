#include "host/device_frame.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace qx::frame {

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* at) {
  return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
         std::uint32_t(at[3]) << 24;
}

namespace {

// Waits until FD is ready for EVENTS or DEADLINE passes.
bool WaitReady(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, static_cast<int>(left.count()));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

}  // namespace

bool SendAll(int fd, const std::uint8_t* data, std::size_t size, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitReady(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool ReceiveAll(int fd, std::uint8_t* data, std::size_t size, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::recv(fd, data + done, size - done, MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return false;  // the peer closed
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitReady(fd, POLLIN, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<std::uint8_t> Encode(std::uint32_t first, const std::uint8_t* payload, std::uint32_t size) {
  std::vector<std::uint8_t> out(kHeaderSize + size);
  PutU32(out.data(), first);
  PutU32(out.data() + 4, size);
  for (std::uint32_t i = 0; i < size; ++i) out[kHeaderSize + i] = payload[i];
  return out;
}

}  // namespace qx::frame
