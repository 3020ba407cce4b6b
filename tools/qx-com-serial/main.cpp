// qx-com-serial: serial touchscreens from the machine's start. The kernel reads a serial panel
// through a driver that inputattach attaches to its port, and inputattach must keep running as
// root; this command lists the machine's serial ports and the protocols, and attaches a port now
// and at every start (the template unit qx-com-serial@.service, one instance a port, bound to the
// tty's device), or detaches it. The device service then reads the panel as any touchscreen.
#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/settings_block.h"
#include "device/serial_ports.h"
#include "tools/common/tool_main.h"
#include "tools/qx-com-serial/serial_setup.h"

extern char** environ;

namespace qx::serial {

namespace {

using tool::Args;
using tool::kFailed;
using tool::kOk;
using tool::kUsage;

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) ? real : path;
}

// The /dev/serial/by-id/ names of the machine's USB serial adapters, by the tty they lead to.
std::map<std::string, std::string> ById() {
  std::map<std::string, std::string> names;
  const std::string folder = "/dev/serial/by-id";
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') names[RealPath(folder + "/" + e->d_name)] = folder + "/" + e->d_name;
    ::closedir(dir);
  }
  return names;
}

// What the set-up folder says of DEVICE: " attached: PROTOCOL at SPEED", or "".
std::string Attached(const SerialMachine& machine, const std::string& device) {
  const SerialSetUp setUp = FindSetUp(machine, device.substr(device.rfind('/') + 1));
  return setUp.speed ? "  attached: " + setUp.protocol + " at " + std::to_string(setUp.speed) : "";
}

int List(const Args& args) {
  if (!args.empty()) return kUsage;
  FillNameTables();
  const SerialMachine machine = SerialMachine::Here();
  PortTable table{};
  ReadPortTable(machine, 0, table);
  for (int n = 1; n <= kComPorts; ++n) {
    const std::string device = "/dev/ttyS" + std::to_string(n - 1);
    const PortEntry& e = table[n - 1];
    std::printf("COM%d  %s  %s%s\n", n, device.c_str(), PortStatusText(n, e.PortBase, e.PortIrq).c_str(),
                Attached(machine, device).c_str());
  }
  // USB adapters, by the names that stay when they are plugged in elsewhere.
  for (const auto& [tty, name] : ById())
    std::printf("USB   %s  %s%s\n", tty.c_str(), name.c_str(), Attached(machine, tty).c_str());
  return kOk;
}

int ListProtocols(const Args& args) {
  if (!args.empty()) return kUsage;
  for (const Protocol& p : Protocols()) std::printf("%-14s %6ld  %s\n", p.name, p.speed, p.about);
  return kOk;
}

// systemctl (QX_SYSTEMCTL names another) with ARGS; its exit code.
int Systemctl(const std::vector<std::string>& args) {
  const std::string program = Env("QX_SYSTEMCTL", "systemctl");
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 127;
  int status = 0;
  if (::waitpid(pid, &status, 0) < 0) return 127;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

bool Root(const char* command) {
  if (::geteuid() == 0) return true;
  std::fprintf(stderr, "qx-com-serial: %s needs root: sudo qx-com-serial %s ...\n", command, command);
  return false;
}

std::string Unit(const std::string& device) { return "qx-com-serial@" + Instance(device) + ".service"; }

int Attach(const Args& args) {
  if (args.size() < 2 || args.size() > 3) return kUsage;
  const std::string device = DevicePath(args[0]);
  const Protocol* protocol = FindProtocol(args[1]);
  char* end = nullptr;
  const long speed = args.size() == 3 ? std::strtol(args[2].c_str(), &end, 10) : protocol ? protocol->speed : 0;
  if (device.empty()) return std::fprintf(stderr, "qx-com-serial: not a serial port: %s\n", args[0].c_str()), kUsage;
  if (!protocol) return std::fprintf(stderr, "qx-com-serial: not a protocol: %s\n", args[1].c_str()), kUsage;
  if ((end && *end) || speed < 50 || speed > 4000000)
    return std::fprintf(stderr, "qx-com-serial: not a line speed: %s\n", args[2].c_str()), kUsage;
  if (!Root("attach")) return kFailed;
  const SerialMachine machine = SerialMachine::Here();
  // /etc/qx-com/serial, its parent first.
  ::mkdir(machine.setup.substr(0, machine.setup.rfind('/')).c_str(), 0755);
  ::mkdir(machine.setup.c_str(), 0755);
  const std::string file = SetUpFile(machine.setup, Instance(device)), next = file + ".new";
  if (!(std::ofstream(next) << SetUpText(device, *protocol, speed)) || std::rename(next.c_str(), file.c_str()) != 0) {
    std::fprintf(stderr, "qx-com-serial: cannot write %s: %s\n", file.c_str(), std::strerror(errno));
    return kFailed;
  }
  // Restarted, so that a port attached before takes its new protocol or speed.
  if (Systemctl({"enable", Unit(device)}) != 0 || Systemctl({"restart", Unit(device)}) != 0) {
    std::fprintf(stderr, "qx-com-serial: systemctl could not start %s\n", Unit(device).c_str());
    return kFailed;
  }
  std::printf("%s attached: %s at %ld, now and at every start (%s)\n", device.c_str(), protocol->name, speed,
              Unit(device).c_str());
  return kOk;
}

int Detach(const Args& args) {
  if (args.size() != 1) return kUsage;
  const std::string device = DevicePath(args[0]);
  if (device.empty()) return std::fprintf(stderr, "qx-com-serial: not a serial port: %s\n", args[0].c_str()), kUsage;
  if (!Root("detach")) return kFailed;
  const int stopped = Systemctl({"disable", "--now", Unit(device)});
  const std::string file = SetUpFile(SerialMachine::Here().setup, Instance(device));
  if (std::remove(file.c_str()) != 0 && errno != ENOENT) {
    std::fprintf(stderr, "qx-com-serial: cannot remove %s: %s\n", file.c_str(), std::strerror(errno));
    return kFailed;
  }
  if (stopped != 0) std::fprintf(stderr, "qx-com-serial: systemctl could not stop %s\n", Unit(device).c_str());
  return stopped == 0 ? kOk : kFailed;
}

// The commands, in the order --help lists them.
const std::vector<qx::tool::Command> kCommands = {
    {"list", "", "the machine's serial ports, as the control panel tables them", List},
    {"protocols", "", "the protocols inputattach speaks, with their usual speeds", ListProtocols},
    {"attach", "PORT PROTOCOL [SPEED]", "attach PORT now and at every start", Attach},
    {"detach", "PORT", "stop reading PORT, now and at every start", Detach},
};

}  // namespace

}  // namespace qx::serial

int main(int argc, char** argv) {
  using namespace qx::serial;
  const qx::tool::ToolHelp help = {
      "qx-com-serial",
      "Serial touchscreens from the machine's start: the kernel reads a serial panel through a driver\n"
      "that inputattach attaches to its port. Lists the serial ports and the protocols, and attaches a\n"
      "port now and at every start of the machine (qx-com-serial@.service), or detaches it. The device\n"
      "service then reads the panel as any other touchscreen.",
      "PORT: ttyS0, COM1, /dev/ttyS0; a USB adapter's ttyUSB0 or its /dev/serial/by-id/ name.\n"
      "PROTOCOL: one of 'qx-com-serial protocols'; SPEED: its usual speed unless given.\n"
      "attach and detach need root.\n",
      "  0   done\n"
      "  1   failed: not root, a set-up file or systemctl\n"
      "  64  usage: a wrong command line, port, protocol or speed\n"};
  return qx::tool::RunTool(argc, argv, help, kCommands);
}
