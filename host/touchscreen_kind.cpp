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

// What keeps the device's X and Y from placing a touch: "" when nothing does.
std::string AxesFault(const libevdev* dev) {
  const std::string x = AxisFault(dev, ABS_X, "X"), y = AxisFault(dev, ABS_Y, "Y");
  if (x.starts_with("no ") && y.starts_with("no ")) return "it has no absolute X and Y axes";
  if (!x.empty() || !y.empty()) return "it has " + (x.empty() ? y : x);
  return "";
}

}  // namespace

bool PenController(const libevdev* dev) {
  const auto has = [dev](unsigned type, unsigned code) { return libevdev_has_event_code(dev, type, code) != 0; };
  const auto resolution = [dev](unsigned code) {
    const input_absinfo* info = libevdev_get_abs_info(dev, code);
    return info ? info->resolution : 0;
  };
  return has(EV_KEY, BTN_TOOL_PEN) && !has(EV_KEY, BTN_STYLUS) && !has(EV_KEY, BTN_STYLUS2) &&
         !has(EV_ABS, ABS_PRESSURE) && !has(EV_ABS, ABS_TILT_X) && !has(EV_ABS, ABS_TILT_Y) && resolution(ABS_X) == 0 &&
         resolution(ABS_Y) == 0;
}

std::string NotTouchInput(const libevdev* dev) {
  if (std::string fault = AxesFault(dev); !fault.empty()) return fault;
  if (!libevdev_has_event_code(dev, EV_KEY, BTN_TOUCH) && !libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT))
    return "it reports no touch (BTN_TOUCH or multi-touch slots)";
  return "";
}

// As udev's input_id sorts a device with absolute axes: a pen makes a tablet (but a pen-only
// touchscreen controller, which udev takes for one too); a finger tool
// without one makes a touchpad unless the device is on the screen; mouse buttons make an absolute
// mouse (a virtual machine's pointer, the suite's own uinput pointer); a touch makes a touchscreen.
std::string NotTouchscreen(const libevdev* dev) {
  const auto key = [dev](unsigned code) { return libevdev_has_event_code(dev, EV_KEY, code) != 0; };
  const bool direct = libevdev_has_property(dev, INPUT_PROP_DIRECT);
  const bool slots = libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT);
  if (std::string fault = AxesFault(dev); !fault.empty()) return fault;
  if ((key(BTN_TOOL_PEN) || key(BTN_STYLUS)) && !PenController(dev)) return "it is a tablet, not on the screen";
  if ((key(BTN_TOOL_FINGER) || libevdev_has_property(dev, INPUT_PROP_POINTER)) && !direct)
    return "it is a touchpad, not on the screen";
  if (key(BTN_LEFT) || key(BTN_RIGHT)) return "it is a pointer with buttons, not a touchscreen";
  if (!key(BTN_TOUCH) && !slots) return "it reports no touch (BTN_TOUCH or multi-touch slots)";
  return "";
}

UdevWord UdevCalls(udev_device* dev) {
  if (!udev_device_get_property_value(dev, "ID_INPUT")) return UdevWord::kNone;
  const auto says = [dev](const char* name) {
    const char* value = udev_device_get_property_value(dev, name);
    return value && std::strcmp(value, "1") == 0;
  };
  if (says("ID_INPUT_TOUCHSCREEN")) return UdevWord::kTouchscreen;
  return says("ID_INPUT_TABLET") ? UdevWord::kTablet : UdevWord::kOther;
}

}  // namespace qx
