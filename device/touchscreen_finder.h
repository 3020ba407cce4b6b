// Which of the machine's input devices are touchscreens (host/touchscreen_kind.h: udev's word, else
// udev's own test), and which one to take.
#pragma once

#include <string>
#include <vector>

#include "device/touchscreen_identity.h"
#include "host/touchscreen_kind.h"

namespace qx {

struct TouchscreenCandidate {
  std::string node;  // /dev/input/eventN
  TouchscreenIdentity identity;
  // Taken whatever it looks like: udev calls it a touchscreen, or the person named it.
  bool vouched = false;
};

// The touchscreens there are now, in their event numbers' order, and every device NAMED names (a
// name or "vvvv:pppp"; "" for none), whatever it is: opening it checks that it can be read as one.
// UNREADABLE counts the devices udev does not call a touchscreen that could not be opened to be
// asked.
std::vector<TouchscreenCandidate> FindTouchscreens(int& unreadable, const std::string& named = "");

// The one to take among CANDIDATES (not empty): the one REMEMBERED names, else the first. WHY says
// which rule chose it.
const TouchscreenCandidate& ChooseTouchscreen(const std::vector<TouchscreenCandidate>& candidates,
                                              const TouchscreenIdentity& remembered, std::string& why);

// Whether NAMED (a name, or "vvvv:pppp") names the touchscreen of IDENTITY.
bool Names(const std::string& named, const TouchscreenIdentity& identity);

}  // namespace qx
