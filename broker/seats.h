// Who is at each seat: the user of the seat's active session. The broker hands devices to that
// user alone and takes them back when it changes. logind says it (sd-login), and announces every
// change on a descriptor; where no logind runs (the tests), a file says it instead: the uid of the
// one active user of every seat (--seat-file, which the package's unit never passes; whoever
// starts a broker with it must be able to open the devices already).
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace qx {

class Seats {
 public:
  virtual ~Seats() = default;
  // Readable when the seats may have changed; -1 when nothing announces it.
  virtual int Descriptor() const = 0;
  // Takes what made the descriptor readable, and what changed.
  virtual void Flush() = 0;
  // "" when UID is the user of SEAT's active session; else why not, in words a person reads.
  virtual std::string Refusal(uid_t uid, const std::string& seat) const = 0;
};

// logind's seats; nothing, with WHY, when their changes cannot be followed.
std::unique_ptr<Seats> LogindSeats(std::string& why);
// The seats FILE says (a uid, or nothing for no active session), followed with inotify; nothing,
// with WHY, when its folder cannot be watched.
std::unique_ptr<Seats> FileSeats(const std::string& file, std::string& why);

// "user alice (uid 1000)".
std::string UserText(uid_t uid);
// "user alice (uid 1000) has no active session on seat0".
std::string NotAtSeat(uid_t uid, const std::string& seat);

}  // namespace qx
