// One client's byte stream to the device service, cut into request frames (host/device_frame.h):
// bytes go in as they arrive, whole requests come out in order. Holds at most one largest frame
// and one read's worth of bytes beyond it, so a client that sends faster than it is served is
// simply read later; once every request is served, it keeps the room of a few small ones only.
#pragma once

#include <cstdint>
#include <vector>

namespace qx {

struct Request {
  std::uint32_t code = 0;
  const std::uint8_t* payload = nullptr;  // valid until the next Append or Pop
  std::uint32_t size = 0;
};

class RequestReader {
 public:
  // The largest request payload a client may announce; no request of the driver comes near it.
  // A header announcing more marks the stream as malformed.
  static constexpr std::uint32_t kMaxRequest = 64u << 10;
  // What the reader holds at most: one largest frame and one read beyond it.
  static constexpr std::size_t kMaxBuffered = 2 * (kMaxRequest + 8);
  // What an empty reader keeps of its room.
  static constexpr std::size_t kKeptRoom = 16u << 10;

  // Room for more bytes (0 when the reader is full and waits for its requests to be served).
  std::size_t Room() const { return kMaxBuffered - (buffer_.size() - start_); }
  // Takes up to Room() bytes.
  void Append(const std::uint8_t* data, std::size_t size);

  enum class State { kNeedMore, kRequest, kMalformed };
  // The first whole request, if there is one.
  State Peek(Request& request) const;
  // Drops the request Peek gave.
  void Pop();

 private:
  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;  // bytes before it were served
};

}  // namespace qx
