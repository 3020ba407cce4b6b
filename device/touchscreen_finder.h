// Which of the machine's input devices are touchscreens, and which one to take. A touchscreen is
// what udev calls one (ID_INPUT_TOUCHSCREEN, as every desktop reads it), whether or not the device
// says it is on the screen (INPUT_PROP_DIRECT: some panels do not). Where udev gives a device no
// properties at all (a container, a test bed), the device itself is asked the way udev's own test
// asks it: absolute X and Y, with BTN_TOUCH or multi-touch slots, and neither a touchpad nor a
// tablet.
#pragma once

#include <string>
#include <vector>

#include "device/touchscreen_identity.h"

struct libevdev;

namespace qx {

struct TouchscreenCandidate {
  std::string node;  // /dev/input/eventN
  TouchscreenIdentity identity;
};

// Why DEV is not a touchscreen the service can follow; "" when it is one (udev's test, above).
std::string NotTouchscreen(const libevdev* dev);

// The touchscreens there are now, in their event numbers' order. UNREADABLE counts the devices
// without udev properties that could not be opened to be asked.
std::vector<TouchscreenCandidate> FindTouchscreens(int& unreadable);

// The one to take among CANDIDATES (not empty): the one REMEMBERED names, else the first. WHY says
// which rule chose it.
const TouchscreenCandidate& ChooseTouchscreen(const std::vector<TouchscreenCandidate>& candidates,
                                              const TouchscreenIdentity& remembered, std::string& why);

// Whether SPEC (a name, or "vvvv:pppp") names the touchscreen of IDENTITY.
bool Names(const std::string& spec, const TouchscreenIdentity& identity);

}  // namespace qx
