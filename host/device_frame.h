// The frame that carries one DeviceIoControl request over a device socket, and back.
//   request: u32 code, u32 size, size bytes
//   reply:   u32 success (0 or 1), u32 returned count, that many bytes
// All numbers little-endian. Both sides bound every wait with a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace qx::frame {

inline constexpr std::uint32_t kHeaderSize = 8;
// Larger than any request or reply the suite or the service's own requests use
// (the journal is the largest); a header announcing more is malformed.
inline constexpr std::uint32_t kMaxPayload = 4u << 20;

using Clock = std::chrono::steady_clock;

struct Header {
  std::uint32_t first = 0;   // code of a request, success flag of a reply
  std::uint32_t second = 0;  // size of a request, returned count of a reply
};

void PutU32(std::uint8_t* at, std::uint32_t value);
std::uint32_t GetU32(const std::uint8_t* at);

// Writes all of DATA to a (possibly non-blocking) socket before DEADLINE; false on error or time-out.
bool SendAll(int fd, const std::uint8_t* data, std::size_t size, Clock::time_point deadline);
// Writes the frame FIRST, SIZE, then SIZE bytes of PAYLOAD, as SendAll does.
bool SendFrame(int fd, std::uint32_t first, const std::uint8_t* payload, std::uint32_t size,
               Clock::time_point deadline);
// Reads exactly SIZE bytes before DEADLINE; false on error, end of stream or time-out.
bool ReceiveAll(int fd, std::uint8_t* data, std::size_t size, Clock::time_point deadline);

// Reads one whole frame before DEADLINE: waits for the peer, then takes the header and as much
// of the payload as has arrived in one read (room for EXPECTED payload bytes), and the rest after.
// A header announcing more than kMaxPayload fails it. The payload lands in PAYLOAD, whose
// storage the read reuses.
bool ReceiveFrame(int fd, Header& header, std::vector<std::uint8_t>& payload, std::uint32_t expected,
                  Clock::time_point deadline);

// A whole frame: header then payload.
std::vector<std::uint8_t> Encode(std::uint32_t first, const std::uint8_t* payload, std::uint32_t size);

}  // namespace qx::frame
