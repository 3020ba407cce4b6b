// The controller's settings as the driver hands them out: the 82-byte SettingsBlock, its name
// tables, and the summary texts the windows show for it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qx {

static_assert(std::endian::native == std::endian::little,
              "the driver's records are little-endian and are laid over memory as they are");

#pragma pack(push, 1)
struct PortEntry {
  std::int16_t PortBase;  // 0 = the port is not usable
  std::uint8_t PortIrq;   // the IRQ, or with PortBase 0: 255 no such port, 254 used by another device, else a reason
  std::uint8_t Reserved;  // the driver's; passed back as it came
};

struct SettingsBlock {
  std::int16_t ActivePortBase;
  std::uint8_t ActivePortIrq;
  std::uint8_t ActivePort;  // COM1..COM9; 0 = no controller found
  PortEntry PortTable[9];   // COM1..COM9: PortTable[n - 1] is COMn
  std::uint8_t TouchMode;   // 1 Stream, 2 Lift Off, 3 Touch Down, 4 Drag Drop
  std::uint8_t SoundMode;   // 1 silence, 2 touch down, 3 lift off, 4 both
  std::int16_t SoundTone;
  std::int16_t SoundDuration;
  std::uint8_t Sensitivity;  // 127 - level
  std::uint8_t Bypass;
  std::uint8_t SpeedH;  // 5 % steps, 1..20
  std::uint8_t SpeedV;
  std::uint8_t Acceleration;   // 1 Slow, 2 Medium, 3 Fast, 4 Off
  std::uint8_t PowerDownTime;  // 10 s units, 0 = never
  std::uint8_t BaudIndex;      // 1..11 into BaudRateNames
  std::uint8_t RbfEnable;
  std::uint8_t RbfAutoMode;
  std::uint8_t RbfAutoSTime;
  std::uint8_t RbfAutoETime;
  std::uint8_t RbfAutoBeep;
  std::int16_t CalibrationData[6];  // XLeft, XCenter, XRight, YTop, YCenter, YBottom
  std::uint8_t CalibrationFlags;    // 1 X reversed, 2 Y reversed, 4 X and Y exchanged
  std::uint8_t Reserved71;
  std::int16_t ScreenWidth;
  std::int16_t ScreenHeight;
  std::uint8_t McuMode;
  std::uint8_t McuVersion;  // two BCD digits
  std::uint8_t McuCode[4];
};
#pragma pack(pop)

static_assert(sizeof(PortEntry) == 4);
static_assert(sizeof(SettingsBlock) == 82);
static_assert(offsetof(SettingsBlock, PortTable) == 4);
static_assert(offsetof(SettingsBlock, TouchMode) == 40);
static_assert(offsetof(SettingsBlock, SoundTone) == 42);
static_assert(offsetof(SettingsBlock, Sensitivity) == 46);
static_assert(offsetof(SettingsBlock, BaudIndex) == 52);
static_assert(offsetof(SettingsBlock, RbfAutoBeep) == 57);
static_assert(offsetof(SettingsBlock, CalibrationData) == 58);
static_assert(offsetof(SettingsBlock, CalibrationFlags) == 70);
static_assert(offsetof(SettingsBlock, ScreenWidth) == 72);
static_assert(offsetof(SettingsBlock, McuMode) == 76);
static_assert(offsetof(SettingsBlock, McuCode) == 78);

// Indexes into CalibrationData.
enum CalibrationIndex { XLeft = 0, XCenter, XRight, YTop, YCenter, YBottom };

// The name tables; entry 0 is empty. Empty until FillNameTables() runs, as the programs fill
// them once at start-up before they read the block.
extern std::array<std::string, 5> TouchModeNames;
extern std::array<std::string, 5> SoundModeNames;
extern std::array<std::string, 5> AccelerationNames;
extern std::array<std::string, 12> BaudRateNames;
void FillNameTables();

// Upper-case hex, zero-padded and cut to the last two / four digits (two's complement when negative).
std::string Hex2(int value);
std::string Hex4(int value);

std::string SerialPortText(const SettingsBlock& block);
std::string PortStatusText(int n, int base, int irq);
std::string TouchModeText(int mode, int enable, int autoMode);

// Whether the right-button program is to run: the function is on (RbfEnable 1), except in Drag
// Drop Mode (4) with the automatic mode, where the driver makes the right button itself.
bool RbfProgramNeeded(int mode, int enable, int autoMode);
std::string SoundModeText(int mode);
std::string AccelerationText(int value);
std::string SensitivityText(int stored);
std::string MouseSpeedText(int h, int v, int accel, int bypass);
std::string PowerSaveText(int t);
std::string DurationText(int seconds);

// A text as a label with access keys shows it: "&&" is one "&", a lone "&" marks the next
// letter and is not drawn.
std::string LabelCaption(const std::string& text);

}  // namespace qx
