// The device service's socket: many clients at once, one thread, each client's frames answered
// in order. A client that sends a malformed frame is disconnected; one that stalls or vanishes
// mid-frame holds up nobody else.
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
  // Serves until Stop() is called (from a signal handler too).
  void Run();
  void Stop() { stop_ = true; }

 private:
  struct Client;
  void Accept();
  bool ReadFrom(Client& client);
  bool WriteTo(Client& client);

  std::string path_;
  Controller& controller_;
  int listenFd_ = -1;
  std::atomic<bool> stop_{false};
};

}  // namespace qx
