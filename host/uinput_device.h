// The suite's pointer device on the kernel's uinput, "QX-COM touch pointer": absolute X and Y and
// the left and right buttons, nothing else (no key a keyboard has), so that what writes to it can
// move and click a pointer and do nothing more. Made by the device broker for the person's device
// service (host/device_opener.h), or by the service itself where it may open /dev/uinput.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/unique_fd.h"

namespace qx {

inline constexpr char kPointerDeviceName[] = "QX-COM touch pointer";
// The largest width or height the device's axes are made for (ABS_X 0..width - 1).
inline constexpr int kMaxPointerAxis = 32768;

// One input event as the pointer writes it: EV_ABS ABS_X or ABS_Y, EV_KEY BTN_LEFT or BTN_RIGHT,
// EV_SYN SYN_REPORT.
struct PointerEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

// Opens /dev/uinput into FD and makes the pointer device on it, with ABS_X 0..WIDTH - 1 and ABS_Y
// 0..HEIGHT - 1 (each 1..kMaxPointerAxis); 0, or the negative errno of the step that failed.
int MakeUinputPointer(UniqueFd& fd, int width, int height);

// The event node of the device made on FD ("/dev/input/event7"); "" when sysfs does not say.
std::string UinputNode(int fd);

// Whether EVENT is one the pointer device of WIDTH × HEIGHT makes: an axis within its range, a
// button pressed (1) or released (0), or the end of a frame.
bool PointerMakes(const PointerEvent& event, int width, int height);

// Writes EVENTS to the uinput device FD in one write; false when the kernel did not take them all.
bool WriteInputEvents(int fd, const std::vector<PointerEvent>& events);

}  // namespace qx
