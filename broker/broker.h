// The device broker's loop (qx-com-broker): it accepts connections on its socket, answers each
// one request (host/broker_wire.h), and keeps the devices it handed out as leases, each the
// connection it was asked on. Only the user of the seat's active session (SO_PEERCRED, checked
// against broker/seats.h) is granted anything; when the seats change, every lease of a user no
// longer at the device's seat is taken back: a touchscreen's descriptor revoked (EVIOCREVOKE, for
// every copy of it), a pointer device destroyed. A pointer's lease carries its events, of which
// only those the pointer makes reach the device (host/uinput_device.h). Bounds: 16 connections
// waiting for their request, 2 s each; 32 leases; one pointer a user; ten refusals of a user said
// a minute, the rest counted; out of descriptors, a connection waiting for its request makes room
// for a new one, and with none waiting the listener rests until a descriptor is free (a second at
// most).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "broker/seats.h"
#include "host/broker_wire.h"
#include "host/unique_fd.h"

namespace qx {

class Broker {
 public:
  // LISTENER: the socket (SOCK_SEQPACKET, listening); STOP: readable when the broker must end.
  Broker(UniqueFd listener, Seats& seats, int stop) : listener_(std::move(listener)), seats_(seats), stop_(stop) {}

  // Serves until STOP is readable, then takes back every device it handed out.
  void Run();

 private:
  using Clock = std::chrono::steady_clock;

  struct Asking {
    UniqueFd socket;
    uid_t uid = 0;
    Clock::time_point deadline;
  };
  struct Lease {
    UniqueFd socket;  // the device is the user's while this stays open
    uid_t uid = 0;
    std::string seat;
    UniqueFd device;  // the broker's copy of the touchscreen's descriptor, or the pointer's /dev/uinput
    bool pointer = false;
    int width = 0, height = 0;
    std::string what;  // "/dev/input/event5", "the pointer device /dev/input/event9"
    bool dropSaid = false;
    bool ended = false;
  };
  // A user's refusals in the minute until WINDOWEND.
  struct Refusals {
    Clock::time_point windowEnd;
    int said = 0;
    long unsaid = 0;
  };

  // Waits for anything to do; false when the broker must end.
  bool Wait();
  // How long the poll may wait: until the first connection waiting for its request is dropped.
  int Timeout() const;
  void Accept();
  void Answer(Asking& asking);
  void GrantPointer(Asking& asking, const std::string& payload);
  void GrantTouchscreen(Asking& asking, const std::string& path);
  void Refuse(Asking& asking, std::uint32_t answer, const std::string& why);
  void SayUnsaidRefusals();
  // Keeps LEASE once the grant's reply is sent with FD beside it; else gives the device up.
  void Keep(Asking& asking, Lease lease, const std::string& node, int fd);
  bool LeasesFull() const;
  void MakeRoom();
  // What came on a lease: a pointer's events, else the end of it.
  void Serve(Lease& lease);
  // The seats changed: the leases of users no longer at their device's seat end.
  void Review();
  // Takes LEASE's device back: the broker's last words WHY (none when the user gave it back), the
  // device revoked or destroyed, the lease closed.
  void End(Lease& lease, const std::string& why);
  void Say(const std::string& text);

  UniqueFd listener_;
  Seats& seats_;
  int stop_;
  std::vector<Asking> asking_;
  std::vector<Lease> leases_;
  std::map<uid_t, Refusals> refusals_;
  // False while no descriptor is left for a connection: the listener is not polled until one is
  // given back, or until ACCEPTAGAIN_.
  bool accepting_ = true;
  Clock::time_point acceptAgain_;
};

}  // namespace qx
