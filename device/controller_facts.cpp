#include "device/controller_facts.h"

#include <cstdio>
#include <cstring>

namespace qx {

void ReadMachine(const SerialMachine& machine, ControllerFacts& facts, const std::string& removed) {
  ReadPortTable(machine, ComOfTty(facts.tty), facts.ports);
  if (const int gone = ComOfTty(removed.substr(removed.rfind('/') + 1))) facts.ports[gone - 1] = {0, 255, 0};
  facts.baudIndex = facts.tty.empty() ? 0 : BaudIndexOf(FindSetUp(machine, facts.tty).speed);
}

void MakeBlockTrue(const ControllerFacts& facts, SettingsBlock& block) {
  std::memcpy(block.PortTable, facts.ports, sizeof block.PortTable);
  const int com = ComOfTty(facts.tty);
  if (com) {
    block.ActivePort = static_cast<std::uint8_t>(com);
    block.ActivePortBase = facts.ports[com - 1].PortBase;
    block.ActivePortIrq = facts.ports[com - 1].PortIrq;
    block.BaudIndex = facts.baudIndex;
  } else {
    block.ActivePort = kOnNoComPort;
    block.ActivePortBase = 0;
    block.ActivePortIrq = 0;
    block.BaudIndex = 0;
  }
  block.McuMode = static_cast<std::uint8_t>(facts.bus);
  block.McuVersion = static_cast<std::uint8_t>(facts.version >> 4);
  const std::uint8_t code[4] = {static_cast<std::uint8_t>(facts.vendor >> 8), static_cast<std::uint8_t>(facts.vendor),
                                static_cast<std::uint8_t>(facts.product >> 8),
                                static_cast<std::uint8_t>(facts.product)};
  std::memcpy(block.McuCode, code, sizeof code);
}

ControllerInfo InfoOf(const ControllerFacts& facts) {
  ControllerInfo info{};
  info.Where = ComOfTty(facts.tty) ? CONTROLLER_ON_COM_PORT : CONTROLLER_ON_BUS;
  // Nothing in the service powers a touchscreen down; sensitivity needs a device that says how firm.
  info.Lacks = LACKS_POWER_SAVE | (facts.firmness.code ? 0 : LACKS_SENSITIVITY);
  info.Bus = facts.bus;
  info.Vendor = facts.vendor;
  info.Product = facts.product;
  info.Version = facts.version;
  // A serial line that is no COM port (a USB adapter's) is named as the kernel names it.
  const std::string bus = facts.tty.empty() ? BusName(facts.bus) : BusName(facts.bus) + " " + facts.tty;
  std::snprintf(info.BusText, sizeof info.BusText, "%s", bus.c_str());
  std::snprintf(info.Name, sizeof info.Name, "%s", facts.name.c_str());
  return info;
}

}  // namespace qx
