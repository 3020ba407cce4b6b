// Input devices coming and going, and serial lines (ttys) changing, as udev announces them (a udev
// monitor of the input and tty subsystems): a descriptor the service's loop waits on, and what came
// in meanwhile. Nothing is polled.
#pragma once

#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace qx {

class UdevWatch {
 public:
  struct Change {
    bool added = false;  // else removed
    std::string node;    // /dev/input/eventN, or /dev/ttyX
    bool tty = false;    // a serial line (ADDED false: removed; true: added or changed)
  };

  UdevWatch();
  ~UdevWatch();
  UdevWatch(const UdevWatch&) = delete;
  UdevWatch& operator=(const UdevWatch&) = delete;

  // -1 where udev cannot be watched (no udev in a container): then nothing is announced.
  int Descriptor() const { return fd_; }
  // The event devices added and removed and the ttys announced since the last call, in order;
  // never waits.
  std::vector<Change> Take();
  // Whether the monitor's socket overflowed since the last call (announcements were lost: what
  // is there must be looked at), as the last Take found it.
  bool Dropped() const { return dropped_; }

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int fd_ = -1;
  bool dropped_ = false;
};

}  // namespace qx
