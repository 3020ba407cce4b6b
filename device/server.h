// The device service's socket: many clients at once, one thread, each client's frames answered
// in order. A client that sends a malformed frame is disconnected; one that stalls or vanishes
// mid-frame holds up nobody else. What one client can make the service hold, and how long it can
// keep the others waiting, is bounded (see the constants in server.cpp).
#pragma once

#include <atomic>
#include <string>

#include "device/controller.h"

namespace qx {

class DeviceServer {
 public:
  DeviceServer(std::string socketPath, Controller& controller);
  ~DeviceServer();

  // Binds the socket (owner-only); false with a message on stderr when it cannot, or when
  // another service already answers on it.
  bool Listen();
  // Serves until Stop() is called (from a signal handler too); the held finger's reports are
  // made from here, on time.
  void Run();
  void Stop() { stop_ = true; }

 private:
  struct Client;
  // True when the client's first whole request may be served now (see Serve).
  bool Servable(const Client& client) const;
  bool Receive(Client& client);
  bool Serve(Client& client);
  bool WriteTo(Client& client);

  std::string path_;
  Controller& controller_;
  int listenFd_ = -1;
  std::atomic<bool> stop_{false};
  // The bytes of replies written for all clients and not yet taken by them.
  std::size_t pendingTotal_ = 0;
};

}  // namespace qx
