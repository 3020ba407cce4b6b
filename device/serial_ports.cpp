#include "device/serial_ports.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace qx {

namespace {

constexpr std::uint8_t kNotFound = 255;
constexpr std::uint8_t kUsedByOther = 254;

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

// A small regular file's text, "" for anything else: a lock folder anyone may write could hold a
// FIFO (which would wait for a writer), a link or a file without end in a lock file's place.
std::string SmallFile(const std::string& path) {
  constexpr std::size_t kLimit = 4096;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return "";
  struct stat st {};
  std::string text(kLimit + 1, '\0');
  ssize_t n = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) n = ::read(fd, text.data(), text.size());
  ::close(fd);
  return n > 0 && static_cast<std::size_t>(n) <= kLimit ? text.substr(0, static_cast<std::size_t>(n)) : "";
}

std::string FirstLine(const std::string& path) {
  const std::string text = SmallFile(path);
  return text.substr(0, text.find('\n'));
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    ::closedir(dir);
  }
  return names;
}

// A lock file of the UUCP kind, whose process still runs (its pid as text, as every program of
// that kind writes it; a binary pid is not believed). A stale one is no holder.
bool Locked(const SerialMachine& machine, const std::string& tty) {
  const std::string text = FirstLine(machine.locks + "/LCK.." + tty);
  char* end = nullptr;
  const long pid = std::strtol(text.c_str(), &end, 10);
  if (pid <= 0 || end == text.c_str()) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// A serial line that inputattach gave to a kernel driver: serport makes a serio port named for it.
bool AttachedToDriver(const SerialMachine& machine, const std::string& tty) {
  const std::string folder = machine.sysfs + "/bus/serio/devices";
  for (const std::string& serio : Entries(folder))
    if (FirstLine(folder + "/" + serio + "/description") == "Serial port " + tty) return true;
  return false;
}

PortEntry ReadPort(const SerialMachine& machine, int n, bool own) {
  const std::string tty = "ttyS" + std::to_string(n - 1);
  const std::string dir = machine.sysfs + "/class/tty/" + tty;
  const std::string type = FirstLine(dir + "/type"), port = FirstLine(dir + "/port"), irq = FirstLine(dir + "/irq");
  const long base = std::strtol(port.c_str(), nullptr, 16);
  PortEntry entry{0, kNotFound, 0};
  if (type.empty() || std::atol(type.c_str()) == 0 || base <= 0 || base > 0xFFFF) return entry;
  if (!own && (Locked(machine, tty) || AttachedToDriver(machine, tty))) {
    entry.PortIrq = kUsedByOther;
    return entry;
  }
  entry.PortBase = static_cast<std::int16_t>(base);
  // The field is a byte: an IRQ above it (some machines number them so) shows as 255.
  entry.PortIrq = static_cast<std::uint8_t>(std::clamp(std::atol(irq.c_str()), 0L, 255L));
  return entry;
}

}  // namespace

SerialMachine SerialMachine::Here() {
  SerialMachine machine;
  machine.locks = Env("QX_SERIAL_LOCKS", "/run/lock");
  machine.setup = Env("QX_SERIAL_SETUP", "/etc/qx-com/serial");
  return machine;
}

void ReadPortTable(const SerialMachine& machine, int own, PortTable& table) {
  for (int n = 1; n <= kComPorts; ++n) table[n - 1] = ReadPort(machine, n, n == own);
}

std::string TtyOfPhys(const std::string& phys) {
  const std::size_t slash = phys.find('/');
  if (slash == std::string::npos || phys.compare(0, 3, "tty") != 0) return "";
  // Only a serio port a serial line made: "ttyS0/serio0/input0".
  if (phys.compare(slash, 6, "/serio") != 0) return "";
  return phys.substr(0, slash);
}

int ComOfTty(const std::string& tty) {
  if (tty.size() != 5 || tty.compare(0, 4, "ttyS") != 0 || tty[4] < '0' || tty[4] > '8') return 0;
  return tty[4] - '0' + 1;
}

SerialSetUp FindSetUp(const SerialMachine& machine, const std::string& tty) {
  for (const std::string& name : Entries(machine.setup)) {
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".conf") != 0) continue;
    std::istringstream in(SmallFile(machine.setup + "/" + name));
    std::string line, device;
    SerialSetUp setUp;
    while (std::getline(in, line)) {
      if (line.rfind("QX_DEVICE=", 0) == 0) device = line.substr(10);
      if (line.rfind("QX_PROTOCOL=", 0) == 0) setUp.protocol = line.substr(12);
      if (line.rfind("QX_SPEED=", 0) == 0) setUp.speed = std::atol(line.c_str() + 9);
    }
    // The device by its own name, or by a link's (a USB adapter's /dev/serial/by-id/ name).
    char real[4096];
    const std::string resolved = ::realpath(device.c_str(), real) ? std::string(real) : device;
    if (!device.empty() && resolved.substr(resolved.rfind('/') + 1) == tty) return setUp;
  }
  return {};
}

std::uint8_t BaudIndexOf(long speed) {
  static constexpr std::array<long, 11> kSpeeds = {1200,  2400,  4800,  9600,  14400, 19200,
                                                   28800, 38400, 57600, 76800, 115200};
  for (std::size_t i = 0; i < kSpeeds.size(); ++i)
    if (kSpeeds[i] == speed) return static_cast<std::uint8_t>(i + 1);
  return 0;
}

}  // namespace qx
