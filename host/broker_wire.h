// The device broker's protocol (docs/device-broker.md), spoken by the broker (broker/) and the
// device service (host/device_opener.h). A connection to the broker's socket, a Unix socket of
// packets in sequence (SOCK_SEQPACKET), carries one frame a message, laid out as the device
// protocol's frames (host/device_frame.h: u32, u32 size, size bytes, little-endian):
//   request  u32 code, u32 size, payload      (kMakePointer, kOpenTouchscreen)
//   reply    u32 answer, u32 size, words      (kGranted with the touchscreen's descriptor beside it,
//                                              kRefused or kNeverGranted with why)
// After a granted reply the connection is the device's lease: the device is the service's while it
// stays open, and the broker takes it back by closing it, after a last frame (kRefused, why). A
// pointer's lease carries the pointer's events (kPointerEvents) the other way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/uinput_device.h"
#include "host/unique_fd.h"

namespace qx::broker {

// Where the package's broker listens (its socket unit).
inline constexpr char kSocket[] = "/run/qx-com/broker";

// Requests. kMakePointer: u32 width, u32 height. kOpenTouchscreen: the event node's path.
// kPointerEvents (on a pointer's lease): up to kMaxEvents events of 8 bytes, u16 type, u16 code,
// s32 value.
inline constexpr std::uint32_t kMakePointer = 1;
inline constexpr std::uint32_t kOpenTouchscreen = 2;
inline constexpr std::uint32_t kPointerEvents = 3;

// Answers. kRefused: not now (the user is not at the seat); kNeverGranted: not a device the
// broker hands out, whoever asks.
inline constexpr std::uint32_t kRefused = 0;
inline constexpr std::uint32_t kGranted = 1;
inline constexpr std::uint32_t kNeverGranted = 2;

inline constexpr std::size_t kMaxEvents = 64;
// The largest message either side sends or takes: a frame of kMaxEvents events.
inline constexpr std::size_t kMaxMessage = 8 + 8 * kMaxEvents;

struct Message {
  std::uint32_t first = 0;  // the code of a request, the answer of a reply
  std::string payload;
  UniqueFd fd;  // a descriptor passed beside it
};

// Sends one frame, with FD beside it when FD >= 0; false when it could not be sent whole (the
// peer is gone: no SIGPIPE).
bool Send(int socket, std::uint32_t first, std::string_view payload, int fd = -1);

// Receives one message into MESSAGE without waiting longer than the socket lets it; false at the
// end of the connection, on an error, or when the message is no whole frame. Descriptors come
// only with TAKE_FD: one is kept, any others are closed; without it the kernel closes them all.
bool Receive(int socket, Message& message, bool takeFd);

std::string EncodeSize(int width, int height);
bool DecodeSize(std::string_view payload, int& width, int& height);
std::string EncodeEvents(const std::vector<PointerEvent>& events);
// False when PAYLOAD is not 1 to kMaxEvents whole events.
bool DecodeEvents(std::string_view payload, std::vector<PointerEvent>& events);

}  // namespace qx::broker
