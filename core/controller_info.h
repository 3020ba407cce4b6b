// What the controller behind the driver is, beyond the settings block: on a COM port (the block's
// Serial Port line says all), or a touchscreen on another bus (USB, I2C, Bluetooth, a serial
// adapter that is no COM port), which the Serial Port line names by its bus and name; and the
// settings it has no use for. The device service hands it out with GetControllerInfo; the control
// panel and qxctl build their lines from it. A service that does not know the request leaves the
// record zero: a controller on a COM port with every setting, as the block alone would say.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_block.h"

namespace qx {

// The request: ControllerInfo, in ignored, out filled.
inline constexpr std::uint32_t IOCTL_GET_CONTROLLER_INFO = 0xF6090;

// ControllerInfo::Where.
inline constexpr std::uint8_t CONTROLLER_ON_COM_PORT = 0;
inline constexpr std::uint8_t CONTROLLER_ON_BUS = 1;
// ControllerInfo::Lacks: the settings that do nothing on this controller.
inline constexpr std::uint8_t LACKS_SENSITIVITY = 1;
inline constexpr std::uint8_t LACKS_POWER_SAVE = 2;
// ControllerInfo::CalibrationOf, whose calibration is in force: no panel's (no touchscreen taken
// yet, or a service that does not say); made on the panel CalibratedPanel names; or that panel has
// none yet (its axes straight onto its monitor).
inline constexpr std::uint8_t CALIBRATION_OF_NO_PANEL = 0;
inline constexpr std::uint8_t CALIBRATION_MADE_ON_PANEL = 1;
inline constexpr std::uint8_t CALIBRATION_NONE_YET = 2;

#pragma pack(push, 1)
struct ControllerInfo {
  std::uint8_t Where;  // CONTROLLER_ON_COM_PORT, or CONTROLLER_ON_BUS
  std::uint8_t Lacks;  // LACKS_… bits
  std::uint16_t Bus;   // the Linux input bus (BUS_USB 0x03, BUS_I2C 0x18…), 0 for the simulated controller
  std::uint16_t Vendor;
  std::uint16_t Product;
  std::uint16_t Version;
  std::uint16_t Unused;
  char BusText[32];  // "USB", "I2C", "Bluetooth", "RS-232 ttyUSB0"…, ended by a 0 byte
  char Name[128];    // the device's name, ended by a 0 byte
  // Whose calibration is in force (CALIBRATION_…), and that panel's name, ended by a 0 byte: the
  // touchscreen in force, or the last one taken while the simulated finger is the input.
  std::uint8_t CalibrationOf;
  std::uint8_t Reserved[3];
  char CalibratedPanel[128];
};
#pragma pack(pop)
static_assert(sizeof(ControllerInfo) == 12 + 32 + 128 + 4 + 128);

// The Serial Port line: SerialPortText of BLOCK for a controller on a COM port, else the bus and
// the name ("USB, Vendor Touch Panel").
std::string ControllerPortText(const ControllerInfo& info, const SettingsBlock& block);

// What a summary line and a dialog say of a setting this touchscreen does not have.
inline constexpr char kDoesNotApply[] = "Does not apply to this touchscreen";

// The power save and sensitivity lines: the setting's text, or kDoesNotApply.
std::string PowerSaveLine(const ControllerInfo& info, const SettingsBlock& block);
std::string SensitivityLine(const ControllerInfo& info, const SettingsBlock& block);

// What the control panel says of the calibration in force: the panel it was made on, or that
// this panel has none yet; "" when no panel is named.
std::string CalibrationLine(const ControllerInfo& info);

// The name of a Linux input bus as a person knows it ("USB", "I2C", "Bluetooth", "RS-232"),
// "bus 0xNN" for another.
std::string BusName(std::uint16_t bus);

}  // namespace qx
