// What qx-com-serial knows of serial touchscreens: the protocols inputattach speaks to them with
// their usual speeds, the arguments it is given for a port, the systemd instance of a port, and the
// set-up file of each port the template unit qx-com-serial@.service reads.
#pragma once

#include <string>
#include <vector>

namespace qx::serial {

struct Protocol {
  const char* name;   // inputattach's option without its dashes: "elotouch"
  long speed;         // the usual line speed
  const char* about;  // the panels it is for
};

// inputattach's touchscreen protocols.
const std::vector<Protocol>& Protocols();
const Protocol* FindProtocol(const std::string& name);

// The arguments inputattach is given for DEVICE (/dev/ttyS0) with PROTOCOL at SPEED: kept running
// whether or not the panel answers its first words, at the speed, in the protocol's mode.
std::vector<std::string> InputattachArguments(const std::string& device, const Protocol& protocol, long speed);

// The device a person names: "ttyS0", "/dev/ttyS0", "COM1", a USB adapter's "ttyUSB0" or
// "ttyACM0", or a /dev/serial/by-id/ path; "" for a name that is none of them (a console, a
// terminal).
std::string DevicePath(const std::string& port);

// The systemd instance of DEVICE, as `systemd-escape --path` gives it: "/dev/ttyS0" is
// "dev-ttyS0", the name of its .device unit too.
std::string Instance(const std::string& device);

// The set-up file of the instance INSTANCE in the folder SETUP; its contents for DEVICE, PROTOCOL
// and SPEED (QX_DEVICE, QX_PROTOCOL, QX_SPEED, which the device service reads for the line's speed,
// and QX_INPUTATTACH_ARGS, which the unit gives inputattach).
std::string SetUpFile(const std::string& setup, const std::string& instance);
std::string SetUpText(const std::string& device, const Protocol& protocol, long speed);

}  // namespace qx::serial
