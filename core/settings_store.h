// The suite's registry key, HKEY_LOCAL_MACHINE\SOFTWARE\Harlenby\TouchScreen\QX-COM: the
// installation record and the calibration mode, in program-wide variables.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

inline constexpr char SUITE_KEY_PATH[] = "SOFTWARE\\Harlenby\\TouchScreen";
inline constexpr char SUITE_SUB_KEY[] = "QX-COM";

// The installation record, filled by LoadInstallation.
extern std::string VenderName;
extern std::string VenderStyle;
extern std::string InstallPath;  // no trailing "\"
extern std::string WindowsPath;
extern std::string SystemPath;
extern std::string HardwareID;

// 0 = " 4 points, mode 1" (corners), 1 = " 4 points, mode 2" (sides); 0 at start.
extern std::int32_t CalibrationMode;

// Reads the six texts; true only when the key opened and every one of them was read.
bool LoadInstallation();
// Reads "CalibrationMode" into CalibrationMode; unchanged unless it is a REG_DWORD.
bool LoadCalibrationMode();
// Writes CalibrationMode as "CalibrationMode" (REG_DWORD).
bool SaveCalibrationMode();

}  // namespace qx
