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
};

// The touchscreens there are now, in their event numbers' order. UNREADABLE counts the devices
// without udev properties that could not be opened to be asked.
std::vector<TouchscreenCandidate> FindTouchscreens(int& unreadable);

// The one to take among CANDIDATES (not empty): the one REMEMBERED names, else the first. WHY says
// which rule chose it.
const TouchscreenCandidate& ChooseTouchscreen(const std::vector<TouchscreenCandidate>& candidates,
                                              const TouchscreenIdentity& remembered, std::string& why);

// Whether NAMED (a name, or "vvvv:pppp") names the touchscreen of IDENTITY.
bool Names(const std::string& named, const TouchscreenIdentity& identity);

}  // namespace qx
