// The machine's serial ports as the settings block tables them: COMn is the kernel's ttyS(n-1),
// its I/O base and IRQ read from sysfs (/sys/class/tty/ttySn: port, irq, type). A port sysfs does
// not list, or lists with type 0 (no UART there), is not found (PortIrq 255); one another program
// holds (a live lock file LCK..ttySn under the lock folder, or a serial line that a kernel driver
// reads through inputattach, a serio port of its own) is used by another device (254). Read by the
// device service when it takes a touchscreen and again at udev's tty events, and by qx-com-serial.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_block.h"

namespace qx {

// Where the machine is read: sysfs, the lock files, and the serial touchscreens' set-up
// (qx-com-serial's files). QX_SERIAL_LOCKS and QX_SERIAL_SETUP name other folders (tests).
struct SerialMachine {
  std::string sysfs = "/sys";
  std::string locks;
  std::string setup;
  static SerialMachine Here();
};

inline constexpr int kComPorts = 9;
using PortTable = PortEntry[kComPorts];

// COM1..COM9 into TABLE. The port numbered OWN (1..9; 0 none) is the controller's: it is never
// taken for another device's, whoever holds it.
void ReadPortTable(const SerialMachine& machine, int own, PortTable& table);

// The tty a serial input device hangs on, from its phys ("ttyS0/serio0/input0" gives "ttyS0"),
// "" for none; and the COM number of a tty (ttyS0 is 1), 0 for one that is no COM port.
std::string TtyOfPhys(const std::string& phys);
int ComOfTty(const std::string& tty);

// How the serial touchscreen on TTY was set up (qx-com-serial attach: a file of the set-up folder
// whose QX_DEVICE is TTY or a link to it): its protocol and line speed; speed 0 when none is.
struct SerialSetUp {
  std::string protocol;
  long speed = 0;
};
SerialSetUp FindSetUp(const SerialMachine& machine, const std::string& tty);
// A speed's index into BaudRateNames (1..11), 0 for a speed that has none.
std::uint8_t BaudIndexOf(long speed);

}  // namespace qx
