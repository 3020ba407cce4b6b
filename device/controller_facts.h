// What a real touchscreen says of itself as the controller, so that everything the service says of
// the controller is true of the machine and the device: the device's bus, name and identity, the
// serial line it hangs on (if any) and that line's speed, the machine's serial ports, and whether
// it says how firm a touch is. The simulated controller has none: it keeps what it simulates.
#pragma once

#include <cstdint>
#include <string>

#include "core/controller_info.h"
#include "core/settings_block.h"
#include "device/serial_ports.h"
#include "device/touch_decoder.h"

namespace qx {

// ActivePort for a controller on no COM port: present (ActivePort is not 0), and above COM9, so
// that no line of the serial port dialog is marked.
inline constexpr std::uint8_t kOnNoComPort = 255;

struct ControllerFacts {
  std::uint16_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;
  std::string name;
  std::string phys;
  std::string tty;  // the serial line it hangs on ("ttyS0"), "" for none
  std::uint8_t baudIndex = 0;
  Firmness firmness;
  PortTable ports{};
};

// The machine's side of FACTS: its serial ports (its own port never taken for another device's)
// and its line's speed, as MACHINE has them now. REMOVED (/dev/ttySn) is gone, whatever sysfs
// still says: udev announces a removal while the kernel may not have taken its files away yet.
void ReadMachine(const SerialMachine& machine, ControllerFacts& facts, const std::string& removed = "");

// BLOCK made true of FACTS: the port table; the active port, its base, IRQ and speed (a device on
// no COM port: kOnNoComPort, and no base, IRQ or speed); the MCU fields from the device's identity
// (McuMode the bus, McuVersion the middle two digits of its version, McuCode its vendor and
// product, high bytes first).
void MakeBlockTrue(const ControllerFacts& facts, SettingsBlock& block);

// GetControllerInfo's record for FACTS.
ControllerInfo InfoOf(const ControllerFacts& facts);

}  // namespace qx
