#include "device/request_reader.h"

#include <algorithm>

#include "host/device_frame.h"

namespace qx {

void RequestReader::Append(const std::uint8_t* data, std::size_t size) {
  size = std::min(size, Room());
  // Served bytes are dropped before the buffer grows, so it never holds more than kMaxBuffered.
  if (start_ && buffer_.size() + size > kMaxBuffered) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), data, data + size);
}

RequestReader::State RequestReader::Peek(Request& request) const {
  const std::size_t held = buffer_.size() - start_;
  if (held < frame::kHeaderSize) return State::kNeedMore;
  const std::uint8_t* head = buffer_.data() + start_;
  std::uint32_t size = frame::GetU32(head + 4);
  if (size > kMaxRequest) return State::kMalformed;
  if (held - frame::kHeaderSize < size) return State::kNeedMore;
  request = {frame::GetU32(head), head + frame::kHeaderSize, size};
  return State::kRequest;
}

void RequestReader::Pop() {
  Request r;
  if (Peek(r) != State::kRequest) return;
  start_ += frame::kHeaderSize + r.size;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    if (buffer_.capacity() > kKeptRoom) buffer_.shrink_to_fit();
    start_ = 0;
  }
}

}  // namespace qx
