// The device service's loop: one thread serves the socket's clients and wakes the touch side. It
// waits in one call on an epoll set (the listening socket, the clients, an eventfd that Stop() and
// the state saver signal) together with the touch side's few descriptors (its inputs and the
// desktop output's connection), until the touch side's next due time or a held request's. Each
// round lets the inputs report first, then takes what the clients sent (without waiting: their
// sockets are non-blocking), accepts new ones, answers the suite's requests, then the simulator's
// for a bounded share of the round, and sends the replies. A request that cannot be answered yet
// (WaitRbfDisarmed while the right button is armed, a reply with no room under the replies' cap)
// stays in its client's reader and is looked at again each round; a reply that waits for its
// settings to be on disk waits in its client, and goes out once the state saver says so. So no
// client can make another wait for more than a round, and a client whose peer has gone is closed
// when the loop sees it, holding nothing. What one client can make the service hold is bounded
// (see the constants in server.cpp).
#pragma once

#include <poll.h>
#include <sys/epoll.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/controller.h"
#include "device/service_client.h"
#include "device/touch_side.h"

namespace qx {

class DeviceServer {
 public:
  DeviceServer(std::string socketPath, Controller& controller, TouchSide& touch);
  ~DeviceServer();

  // Binds the socket (owner-only); false with a message on stderr when it cannot, or when
  // another service already answers on it.
  bool Listen();
  // Serves until Stop() is called. The inputs' reports (the held finger's) are made from here, on
  // time.
  void Run();
  // Ends Run; safe in a signal handler.
  void Stop();

 private:
  using Clock = std::chrono::steady_clock;
  using Clients = std::map<Controller::ClientId, ServiceClient>;
  // The suite's requests go before the simulator's: a suite request takes microseconds, a journal
  // read or a burst of the simulator's milliseconds.
  enum class Line { kSuite, kSimulator };

  // Waits until a descriptor is ready or something is due; the epoll set's events in events_.
  void WaitForWork();
  // Takes those events: the clients' input, hang-ups and room, the listener, the wake-ups.
  void TakeEvents();
  void OnClientEvent(Controller::ClientId id, std::uint32_t events);
  void Accept();
  // Whether a new client has a place: one is free, or the client idle the longest gave its up.
  bool MakePlace();
  // Answers the suite's requests of every client; then the simulator's, in turn from where the
  // last round stopped, for kSimulatorShare of the round at most.
  void ServeSuite();
  void ServeSimulator();
  // Answers C's requests of LINE for one slice and sends the replies; false when C is to go.
  bool Serve(ServiceClient& c, Line line);
  static Line LineOf(std::uint32_t code);
  // Whether C's request R may be answered now: the controller does not hold it back, and the
  // replies waiting leave room for its reply.
  bool Servable(ServiceClient& c, const Request& r, Clock::time_point now);
  bool RoomFor(std::uint32_t code) const;
  // Lets the touch side make the reports that are due before a request is answered.
  void WakeTouchIfDue(Clock::time_point now);
  // Moves the replies whose settings are on disk into their clients' output, and sends them.
  void ReleaseKept();
  // Sends what it can of C's replies; false when C is to go.
  bool Flush(ServiceClient& c);
  // Watches C for what it waits for now; closes the clients that are to go.
  void UpdateWatches();
  Clients::iterator Drop(Clients::iterator it);
  // What the next wait may take at most: nothing while work is left, else until the touch side's
  // next due time, a held request's end or a stalled reader's.
  std::optional<Clock::time_point> NextDue();
  // Gives the memory of large replies back to the system once they are all sent.
  void GiveMemoryBackWhenQuiet();

  std::string path_;
  Controller& controller_;
  TouchSide& touch_;
  int listenFd_ = -1;
  int epollFd_ = -1;
  int wakeFd_ = -1;  // an eventfd: Stop() wakes the loop through it
  std::atomic<bool> stop_{false};

  Clients clients_;
  Controller::ClientId lastId_ = 0;
  // The client whose simulator requests were served last: the next round goes on after it.
  Controller::ClientId lastSimulatorClient_ = 0;
  // The wait's descriptors: the epoll set, then the touch side's entries; the epoll set's events.
  std::vector<pollfd> waitSet_;
  std::vector<epoll_event> events_;
  int eventCount_ = 0;
  // What the round found: the listener readable, a request left for want of time.
  bool acceptable_ = false;
  bool workLeft_ = false;
  // Reply bytes made for all clients and not yet sent.
  std::size_t pendingTotal_ = 0;
  // A large reply was sent since the memory was last given back.
  bool largeReplySent_ = false;
};

}  // namespace qx
