// The device service's loop: its socket, with many clients at once, and the controller's touch
// inputs, on one thread. Each client's frames are answered in order; a client that sends a
// malformed frame is disconnected; one that stalls or vanishes mid-frame holds up nobody else.
// What one client can make the service hold, and how long it can keep the others waiting, is
// bounded (see the constants in server.cpp). Every input is woken on its descriptor or its due
// time, and its reports go to the touch path before the requests that came meanwhile are served.
#pragma once

#include <atomic>
#include <cstddef>
#include <list>
#include <string>
#include <vector>

#include "device/controller.h"

struct pollfd;

namespace qx {

class DeviceServer {
 public:
  DeviceServer(std::string socketPath, Controller& controller);
  ~DeviceServer();

  // Binds the socket (owner-only); false with a message on stderr when it cannot, or when
  // another service already answers on it.
  bool Listen();
  // Serves until Stop() is called (from a signal handler too); the inputs' reports (the held
  // finger's) are made from here, on time.
  void Run();
  void Stop() { stop_ = true; }

 private:
  struct Client;
  // Fills the poll set and says how long the poll may wait.
  int PreparePoll();
  // Lets every input hand its reports to the touch path, then wakes the touch path's timers and
  // outputs; POLLED: right after a poll of the set.
  void WakeInputs(bool polled);
  void ServeClients();
  void AcceptClients();
  // Reads from, serves and writes to one client after a poll; false when it is to go.
  bool Attend(Client& client, short revents);
  // True when the client's first whole request may be served now (see Serve).
  bool Servable(const Client& client) const;
  bool Receive(Client& client);
  bool Serve(Client& client);
  bool WriteTo(Client& client);

  std::string path_;
  Controller& controller_;
  int listenFd_ = -1;
  std::list<Client> clients_;
  // The poll set: the listening socket, each client in order, then each input (-1 when it has no
  // descriptor) from firstInput_ on.
  std::vector<pollfd> fds_;
  std::size_t firstInput_ = 0;
  std::atomic<bool> stop_{false};
  // The bytes of replies written for all clients and not yet taken by them.
  std::size_t pendingTotal_ = 0;
};

}  // namespace qx
