#include "tools/qx-com-serial/serial_setup.h"

#include <cctype>
#include <cstdio>

namespace qx::serial {

const std::vector<Protocol>& Protocols() {
  // The speeds are the ones the panels ship set to; a panel set otherwise takes --speed.
  static const std::vector<Protocol> protocols = {
      {"elotouch", 9600, "ELO touchscreen, 10-byte mode"},
      {"elo4002", 9600, "ELO touchscreen, 6-byte mode"},
      {"elo271-140", 9600, "ELO touchscreen, 4-byte mode"},
      {"elo261-280", 9600, "ELO touchscreen, 3-byte mode"},
      {"eetiegalax", 9600, "EETI eGalaxTouch"},
      {"fujitsu", 9600, "Fujitsu serial touchscreen"},
      {"gunze", 9600, "Gunze touchscreen"},
      {"hampshire", 9600, "Hampshire touchscreen"},
      {"mtouch", 9600, "MicroTouch (3M) touchscreen"},
      {"penmount3000", 19200, "PenMount 3000 touchscreen"},
      {"penmount6000", 19200, "PenMount 6000 touchscreen"},
      {"penmount6250", 19200, "PenMount 6250 touchscreen"},
      {"penmount9000", 19200, "PenMount 9000 touchscreen"},
      {"touchit213", 9600, "Sahara Touch-iT213 Tablet PC"},
      {"touchright", 9600, "Touchright serial touchscreen"},
      {"touchwin", 4800, "Touchwindow serial touchscreen"},
      {"tsc", 9600, "TSC-10/25/40 serial touchscreen"},
      {"w8001", 38400, "Wacom W8001 penabled and touch screens"},
      {"zhen-hua", 19200, "Zhen Hua 5-byte protocol"},
  };
  return protocols;
}

const Protocol* FindProtocol(const std::string& name) {
  for (const Protocol& p : Protocols())
    if (name == p.name) return &p;
  return nullptr;
}

std::vector<std::string> InputattachArguments(const std::string& device, const Protocol& protocol, long speed) {
  return {"--always", "--baud", std::to_string(speed), std::string("--") + protocol.name, device};
}

namespace {

// A serial line's own name: ttyS0, ttyUSB0, ttyACM0, ttyAMA0 (never a console, a terminal or a
// pseudo-terminal, which a line discipline would take from whoever uses them).
bool SerialLine(const std::string& name) {
  for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM", "ttyAMA"}) {
    const std::string p = prefix;
    if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
        name.find_first_not_of("0123456789", p.size()) == std::string::npos)
      return true;
  }
  return false;
}

}  // namespace

std::string DevicePath(const std::string& port) {
  if (port.size() == 4 && port.compare(0, 3, "COM") == 0 && port[3] >= '1' && port[3] <= '9')
    return "/dev/ttyS" + std::string(1, char(port[3] - 1));
  const std::string path = port.rfind("/dev/", 0) == 0 ? port : "/dev/" + port;
  // A tty of its own name, or a link under /dev/serial/; nothing that leaves /dev, and nothing the
  // set-up file's argument line would split.
  if (path.find("/..") != std::string::npos || path.size() <= 5) return "";
  for (unsigned char c : path)
    if (std::isspace(c) || c == '"' || c == '\'' || c == '\\' || c == '$' || c < 0x20) return "";
  return SerialLine(path.substr(5)) || path.rfind("/dev/serial/", 0) == 0 ? path : "";
}

std::string Instance(const std::string& device) {
  std::string out;
  const std::string path = device.substr(device.find_first_not_of('/'));
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '/') {
      out += '-';
    } else if (std::isalnum(c) || c == ':' || c == '_' || (c == '.' && i > 0)) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::string SetUpFile(const std::string& setup, const std::string& instance) {
  return setup + "/" + instance + ".conf";
}

std::string SetUpText(const std::string& device, const Protocol& protocol, long speed) {
  std::string args;
  for (const std::string& a : InputattachArguments(device, protocol, speed)) args += (args.empty() ? "" : " ") + a;
  return "# A serial touchscreen, set up with qx-com-serial attach; qx-com-serial@.service reads it.\n"
         "QX_DEVICE=" +
         device + "\nQX_PROTOCOL=" + protocol.name + "\nQX_SPEED=" + std::to_string(speed) +
         "\nQX_INPUTATTACH_ARGS=" + args + "\n";
}

}  // namespace qx::serial
