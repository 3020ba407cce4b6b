#include "core/controller_info.h"

#include <cstdio>
#include <cstring>

namespace qx {

namespace {

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

std::string ControllerPortText(const ControllerInfo& info, const SettingsBlock& block) {
  if (info.Where != CONTROLLER_ON_BUS) return SerialPortText(block);
  return Text(info.BusText, sizeof info.BusText) + ", " + Text(info.Name, sizeof info.Name);
}

std::string PowerSaveLine(const ControllerInfo& info, const SettingsBlock& block) {
  return info.Lacks & LACKS_POWER_SAVE ? kDoesNotApply : PowerSaveText(block.PowerDownTime);
}

std::string SensitivityLine(const ControllerInfo& info, const SettingsBlock& block) {
  return info.Lacks & LACKS_SENSITIVITY ? kDoesNotApply : SensitivityText(block.Sensitivity);
}

std::string CalibrationLine(const ControllerInfo& info) {
  const std::string panel = Text(info.CalibratedPanel, sizeof info.CalibratedPanel);
  if (panel.empty()) return "";
  switch (info.CalibrationOf) {
    case CALIBRATION_MADE_ON_PANEL: return "Calibration in force: made on " + panel;
    case CALIBRATION_NONE_YET:
      return "Calibration in force: none yet for " + panel + ", its touches go straight onto its monitor";
  }
  return "";
}

std::string BusName(std::uint16_t bus) {
  // The kernel's BUS_… numbers (linux/input.h), of the buses touchscreens come on.
  switch (bus) {
    case 0x01: return "PCI";
    case 0x03: return "USB";
    case 0x05: return "Bluetooth";
    case 0x06: return "Virtual";
    case 0x11: return "PS/2";
    case 0x13: return "RS-232";
    case 0x18: return "I2C";
    case 0x19: return "Host";
    case 0x1C: return "SPI";
  }
  char text[16];
  std::snprintf(text, sizeof text, "bus 0x%02X", bus);
  return text;
}

}  // namespace qx
