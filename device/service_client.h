// One connection to the device service, as its loop keeps it: the requests it sent, cut into frames
// (RequestReader), the replies not yet taken, and the replies that wait for the kept settings. The
// loop reads and writes it without waiting (its socket is non-blocking), so a client that sends
// nothing, sends junk, reads nothing or has gone costs the loop a call, never a wait; what it may
// make the service hold is bounded by the reader's room and the loop's caps on replies.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "device/controller.h"
#include "device/request_reader.h"
#include "host/device_frame.h"

namespace qx {

struct ServiceClient {
  using Clock = std::chrono::steady_clock;

  ServiceClient(int descriptor, Controller::ClientId number, Clock::time_point now);
  ~ServiceClient();
  ServiceClient(const ServiceClient&) = delete;
  ServiceClient& operator=(const ServiceClient&) = delete;

  // Reply bytes not sent yet: those of OUT, and the held ones.
  std::size_t Unsent() const { return out.size() - outSent; }
  std::size_t Pending() const { return Unsent() + heldBytes; }
  // Its first whole request, if it has one.
  bool Next(Request& r) const { return in.Peek(r) == RequestReader::State::kRequest; }
  bool Malformed() const;
  // Whether it waits for its next request, with nothing of its own the service still has to do.
  bool Idle() const;

  // One read of what it sent, as far as the reader has room: recv's result (0: it hung up).
  ssize_t TakeIn(Clock::time_point now);
  // A reply after the others; held while it, or a reply before it, waits for the kept settings.
  // The bytes it adds to what is pending.
  std::size_t Add(DeviceReply reply);
  // Moves the held replies whose settings are on disk (or failed to be: then answered as failed)
  // into OUT, in order; KEPT tells (Controller::Kept), NOT_KEPT hears of each one that failed. The
  // bytes of the failed replies' data, no longer pending.
  template <typename KeptFn, typename NotKeptFn>
  std::size_t ReleaseHeld(KeptFn kept, NotKeptFn notKept);
  // Sends what it can of OUT without waiting: the bytes sent, or -1 when it is to go (gone, or it
  // took nothing for kStalledReader while replies waited).
  ssize_t Send(Clock::time_point now);
  // The epoll events it waits for: input while its reader has room, output while replies wait.
  std::uint32_t Interest() const;

  // A client that has taken nothing of its replies for this long is disconnected, so that clients
  // that never read cannot hold the room for large replies for ever.
  static constexpr std::chrono::seconds kStalledReader{10};

  int fd = -1;
  Controller::ClientId id = 0;
  RequestReader in;
  std::vector<std::uint8_t> out;
  std::size_t outSent = 0;
  // The replies that wait for the kept settings (DeviceReply::kept), and every one after them.
  std::deque<DeviceReply> held;
  std::size_t heldBytes = 0;
  bool hungUp = false;  // it will send nothing more
  // When it last sent something (or connected): the client idle the longest gives its place up.
  Clock::time_point sentAt;
  // When its replies last moved (or began to wait): a reader stalled since kStalledReader goes.
  Clock::time_point takenAt;
  // For a first request the controller holds (Controller::HoldFor): when it is answered at the latest.
  std::optional<Clock::time_point> heldUntil;
  // The events epoll watches for it now, and whether it has room for its replies again.
  std::uint32_t watching = 0;
  bool writable = false;

 private:
  void PutReply(const DeviceReply& reply);
};

template <typename KeptFn, typename NotKeptFn>
std::size_t ServiceClient::ReleaseHeld(KeptFn kept, NotKeptFn notKept) {
  std::size_t dropped = 0;
  while (!held.empty()) {
    DeviceReply& reply = held.front();
    const std::size_t bytes = frame::kHeaderSize + reply.data.size();
    if (reply.kept) {
      const std::optional<bool> onDisk = kept(reply.kept);
      if (!onDisk) break;
      // A reply whose settings could not be written says that its request failed: the caller
      // learns that the change is not kept, although the service runs with it.
      if (!*onDisk) {
        notKept();
        dropped += reply.data.size();
        reply = DeviceReply{};
      }
    }
    heldBytes -= bytes;
    PutReply(reply);
    held.pop_front();
  }
  return dropped;
}

}  // namespace qx
