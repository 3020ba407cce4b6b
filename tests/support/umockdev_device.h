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

// Reads the evemu description at DESCRIPTION (with libevemu) and writes the two files for NODE
// (/dev/input/eventN); false with WHY when it cannot.
bool WriteUmockdevDevice(const std::string& description, const std::string& node, const std::string& prefix,
                         std::string& why);

// The umockdev-run command that runs PROGRAM with the device of PREFIX at NODE playing EVENTS.
std::vector<std::string> UmockdevRun(const std::string& prefix, const std::string& node, const std::string& events,
                                     const std::vector<std::string>& program);

}  // namespace qx::test
