#include "host/device_frame.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qx::frame {

void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* at) {
  return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
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

// Sends TOTAL bytes before DEADLINE, SEND_SOME(done) sending some of those after the first DONE
// and returning what the call returned.
template <typename SendSome>
bool SendEvery(int fd, std::size_t total, Clock::time_point deadline, SendSome sendSome) {
  std::size_t done = 0;
  while (done < total) {
    ssize_t n = sendSome(done);
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

}  // namespace

bool SendAll(int fd, const std::uint8_t* data, std::size_t size, Clock::time_point deadline) {
  return SendEvery(fd, size, deadline, [&](std::size_t done) {
    return ::send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
  });
}

// A frame that fits the stack (every device request does) is put together there and goes in one
// send: a plain send costs the kernel less than one of two pieces. A larger one (a window message
// may be) goes as its header and its payload from where it is, in one call, with no copy.
bool SendFrame(int fd, std::uint32_t first, const std::uint8_t* payload, std::uint32_t size,
               Clock::time_point deadline) {
  constexpr std::size_t kCopied = 4096;
  std::uint8_t frame[kCopied];
  PutU32(frame, first);
  PutU32(frame + 4, size);
  if (kHeaderSize + std::size_t{size} <= kCopied) {
    if (size) std::memcpy(frame + kHeaderSize, payload, size);
    return SendAll(fd, frame, kHeaderSize + size, deadline);
  }
  return SendEvery(fd, kHeaderSize + std::size_t{size}, deadline, [&](std::size_t done) {
    iovec parts[2];
    std::size_t count = 0;
    if (done < kHeaderSize) parts[count++] = {frame + done, kHeaderSize - done};
    const std::size_t from = done < kHeaderSize ? 0 : done - kHeaderSize;
    if (from < size) parts[count++] = {const_cast<std::uint8_t*>(payload) + from, size - from};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = count;
    return ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
  });
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

bool ReceiveFrame(int fd, Header& header, std::vector<std::uint8_t>& payload, std::uint32_t expected,
                  Clock::time_point deadline) {
  // The header and the payload usually come in one read. On a blocking socket with a receive
  // time-out the read itself waits (one call instead of a poll and a read); on a non-blocking one
  // it comes back at once and poll does the waiting. Either way DEADLINE bounds it. PAYLOAD is
  // the buffer the read lands in, so one the caller keeps means no allocation.
  payload.resize(kHeaderSize + std::min(expected, kMaxPayload));
  std::size_t got = 0;
  while (got < kHeaderSize) {
    ssize_t n = ::recv(fd, payload.data() + got, payload.size() - got, 0);
    if (n == 0) return false;
    if (n < 0) {
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLIN, deadline)) continue;
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  header.first = GetU32(payload.data());
  header.second = GetU32(payload.data() + 4);
  const std::size_t inHand = got - kHeaderSize;
  // Bytes past the frame would belong to no request: the peer does not send them.
  if (header.second > kMaxPayload || inHand > header.second) return false;
  std::memmove(payload.data(), payload.data() + kHeaderSize, inHand);
  payload.resize(header.second);
  return ReceiveAll(fd, payload.data() + inHand, header.second - inHand, deadline);
}

std::vector<std::uint8_t> Encode(std::uint32_t first, const std::uint8_t* payload, std::uint32_t size) {
  std::vector<std::uint8_t> out(kHeaderSize + size);
  PutU32(out.data(), first);
  PutU32(out.data() + 4, size);
  if (size) std::memcpy(out.data() + kHeaderSize, payload, size);
  return out;
}

}  // namespace qx::frame
