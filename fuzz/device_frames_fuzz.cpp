// Fuzz target: bytes from a client of the device service, as they arrive in pieces, through the
// frame reader and the simulated controller. Checks what must hold whatever a client sends: the
// reader never holds more than its bound, a malformed stream is recognised, every reply fits the
// bound the service reserves for it.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "device/device_parts.h"
#include "device/request_reader.h"

namespace {

std::string StatePath() {
  // tmpfs where there is one: every settings change is written and flushed.
  static std::string path = [] {
    std::string pattern = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/qxfuzz-XXXXXX";
    char* dir = ::mkdtemp(pattern.data());
    if (!dir) std::abort();
    return std::string(dir) + "/settings.bin";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte says how the rest arrives: in pieces of 1 to 256 bytes.
  const std::size_t piece = std::size_t(data[0]) + 1;
  ++data;
  --size;
  qx::DeviceParts parts{qx::StateFile(StatePath())};
  qx::Controller& controller = parts.controller;
  qx::RequestReader reader;
  while (size > 0) {
    std::size_t room = reader.Room();
    if (room == 0) std::abort();  // a full reader always holds a whole request
    std::size_t n = std::min({piece, size, room});
    reader.Append(data, n);
    data += n;
    size -= n;
    if (reader.Room() > qx::RequestReader::kMaxBuffered) std::abort();
    qx::Request request;
    for (;;) {
      auto state = reader.Peek(request);
      if (state == qx::RequestReader::State::kMalformed) return 0;  // the service hangs up here
      if (state == qx::RequestReader::State::kNeedMore) break;
      qx::DeviceReply reply;  // handed in again until done, as the service does
      do reply = controller.Handle(request.code, request.payload, request.size);
      while (reply.unfinished);
      if (reply.data.size() > qx::Controller::ReplyBound(request.code)) std::abort();
      if (!reply.success && !reply.data.empty()) std::abort();
      reader.Pop();
    }
  }
  return 0;
}
