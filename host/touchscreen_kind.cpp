#include "host/touchscreen_kind.h"

#include <libevdev/libevdev.h>
#include <libudev.h>

#include <cstring>

namespace qx {

namespace {

bool HasAxis(const libevdev* dev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  return libevdev_has_event_code(dev, EV_ABS, code) && info && info->maximum > info->minimum;
}

}  // namespace

// As udev's input_id sorts a device with absolute axes: a pen makes a tablet; a finger tool
// without one makes a touchpad unless the device is on the screen; mouse buttons make an absolute
// mouse (a virtual machine's pointer, the suite's own uinput pointer); a touch makes a touchscreen.
std::string NotTouchscreen(const libevdev* dev) {
  const auto key = [dev](unsigned code) { return libevdev_has_event_code(dev, EV_KEY, code) != 0; };
  const bool direct = libevdev_has_property(dev, INPUT_PROP_DIRECT);
  const bool slots = libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT);
  if (!HasAxis(dev, ABS_X) || !HasAxis(dev, ABS_Y)) return "it has no absolute X and Y axes";
  if (key(BTN_TOOL_PEN) || key(BTN_STYLUS)) return "it is a tablet, not on the screen";
  if ((key(BTN_TOOL_FINGER) || libevdev_has_property(dev, INPUT_PROP_POINTER)) && !direct)
    return "it is a touchpad, not on the screen";
  if (key(BTN_LEFT) || key(BTN_RIGHT)) return "it is a pointer with buttons, not a touchscreen";
  if (!key(BTN_TOUCH) && !slots) return "it reports no touch (BTN_TOUCH or multi-touch slots)";
  return "";
}

UdevWord UdevCalls(udev_device* dev) {
  if (!udev_device_get_property_value(dev, "ID_INPUT")) return UdevWord::kNone;
  const char* touchscreen = udev_device_get_property_value(dev, "ID_INPUT_TOUCHSCREEN");
  return touchscreen && std::strcmp(touchscreen, "1") == 0 ? UdevWord::kTouchscreen : UdevWord::kOther;
}

}  // namespace qx
