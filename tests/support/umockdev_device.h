// A touchscreen for umockdev, made from its evemu description: the sysfs and udev description
// (PREFIX.umockdev) and the answers to the ioctls libevdev asks when it opens the node
// (PREFIX.ioctl). With the recording's events, umockdev-run then feeds the unchanged libevdev
// reader of a program it runs as a real device node would:
//
//   umockdev-run -d PREFIX.umockdev -i NODE=PREFIX.ioctl -e NODE=EVENTS.events -- PROGRAM
#pragma once

#include <string>
#include <vector>

namespace qx::test {

// The udev properties a device is given: as udev's own rules give a touchscreen, a touchpad or a
// tablet, or none at all (where udev does not run, or under some test set-ups).
inline constexpr char kUdevTouchscreen[] = "ID_INPUT=1\nID_INPUT_TOUCHSCREEN=1";
inline constexpr char kUdevTouchpad[] = "ID_INPUT=1\nID_INPUT_TOUCHPAD=1";
inline constexpr char kUdevTablet[] = "ID_INPUT=1\nID_INPUT_TABLET=1";
inline constexpr char kUdevNone[] = "";

// Reads the evemu description at DESCRIPTION (with libevemu) and writes the two files for NODE
// (/dev/input/eventN), the device given the udev PROPERTIES (NAME=value lines) and PHYS (where it
// hangs, which evemu descriptions do not hold); false with WHY when it cannot.
bool WriteUmockdevDevice(const std::string& description, const std::string& node, const std::string& prefix,
                         std::string& why, const std::string& properties = kUdevTouchscreen,
                         const std::string& phys = "");

// The umockdev-run command that runs PROGRAM with the device of PREFIX at NODE playing EVENTS.
std::vector<std::string> UmockdevRun(const std::string& prefix, const std::string& node, const std::string& events,
                                     const std::vector<std::string>& program);

}  // namespace qx::test
