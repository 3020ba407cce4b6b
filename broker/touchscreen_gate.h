// The only nodes the broker opens for a touchscreen: a path /dev/input/eventN (nothing else, no
// "..", no other folder) that is a character device of the input subsystem, not a link, and that
// udev calls a touchscreen (or, where udev gives the device no properties or calls it a tablet,
// that udev's own test calls one, a pen controller included: host/touchscreen_kind.h). Opened read-only. /dev/input is
// root's and udev's, so the checks after the open (the descriptor is the node the path names, an event device) guard
// against mistakes rather than races.
#pragma once

#include <string>

#include "host/touchscreen_kind.h"
#include "host/unique_fd.h"

namespace qx {

struct GateAnswer {
  std::string why;     // why it is refused
  bool never = false;  // PATH is no touchscreen: it never will be opened
  std::string seat;    // the seat the device belongs to (udev's ID_SEAT, else seat0)
  UdevWord word = UdevWord::kNone;
  UniqueFd fd;
};

// Checks PATH before it is opened (its name, its node, udev's word); a refusal in WHY, else the
// device's seat.
GateAnswer CheckTouchscreen(const std::string& path);
// Opens PATH, which CheckTouchscreen let through into ANSWER, and asks the device itself where
// udev had no word; a refusal in ANSWER's WHY, else its FD.
void OpenTouchscreen(const std::string& path, GateAnswer& answer);

}  // namespace qx
