#include "host/touchscreen_kind.h"

#include <libevdev/libevdev.h>
#include <libudev.h>

#include <cstring>
#include <string>

namespace qx {

namespace {

// What keeps the absolute axis CODE, called NAME, from being one a touch can be placed on: "" when
// nothing does.
std::string AxisFault(const libevdev* dev, unsigned code, const char* name) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  if (!libevdev_has_event_code(dev, EV_ABS, code) || !info) return std::string("no absolute ") + name + " axis";
  if (info->maximum > info->minimum) return "";
  const std::string range = " (" + std::to_string(info->minimum) + ".." + std::to_string(info->maximum) + ")";
  if (info->maximum == info->minimum) return std::string("an absolute ") + name + " axis of no extent" + range;
  return std::string("an absolute ") + name + " axis whose maximum is below its minimum" + range;
}

}  // namespace

// As udev's input_id sorts a device with absolute axes: a pen makes a tablet; a finger tool
// without one makes a touchpad unless the device is on the screen; mouse buttons make an absolute
// mouse (a virtual machine's pointer, the suite's own uinput pointer); a touch makes a touchscreen.
std::string NotTouchscreen(const libevdev* dev) {
  const auto key = [dev](unsigned code) { return libevdev_has_event_code(dev, EV_KEY, code) != 0; };
  const bool direct = libevdev_has_property(dev, INPUT_PROP_DIRECT);
  const bool slots = libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT);
  const std::string x = AxisFault(dev, ABS_X, "X"), y = AxisFault(dev, ABS_Y, "Y");
  if (x.starts_with("no ") && y.starts_with("no ")) return "it has no absolute X and Y axes";
  if (!x.empty() || !y.empty()) return "it has " + (x.empty() ? y : x);
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
