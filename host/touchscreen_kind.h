// Which input devices are touchscreens, as both the device service and the device broker tell
// them: what udev calls one (ID_INPUT_TOUCHSCREEN, as every desktop reads it), whether or not the
// device says it is on the screen (INPUT_PROP_DIRECT: some panels do not). Where udev gives a
// device no properties at all (a container, a test bed), the device itself is asked the way udev's
// own test asks it: absolute X and Y, with BTN_TOUCH or multi-touch slots, and neither a touchpad
// nor a tablet nor a pointer with buttons. A touchscreen controller that reports its touches as a
// pen (and that udev takes for a tablet) is asked too: a pen without pressure, tilt, stylus
// buttons or a resolution is a touchscreen.
#pragma once

#include <libudev.h>

#include <memory>
#include <string>

struct libevdev;

namespace qx {

// libudev's objects, each given back with its own unref.
struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// Why DEV is not a touchscreen; "" when it is one (udev's test, above).
std::string NotTouchscreen(const libevdev* dev);
// Whether DEV reports a pen and nothing a graphics tablet has (pressure, tilt, stylus buttons, a
// resolution): how a touchscreen controller that reports its touches as a pen looks.
bool PenController(const libevdev* dev);
// Why DEV cannot be read as a touchscreen at all, whatever it looks like: "" when it has absolute
// X and Y and a touch (BTN_TOUCH or multi-touch slots). What a device a person names must have.
std::string NotTouchInput(const libevdev* dev);

enum class UdevWord { kTouchscreen, kTablet, kOther, kNone };

// What udev says of the input device DEV: a touchscreen, a tablet (which a pen controller looks
// like to udev: the device must be asked), something else, or nothing (no properties: the device
// must be asked).
UdevWord UdevCalls(udev_device* dev);

}  // namespace qx
