// The calibration computation: four raw points measured at the calibration targets become the
// six CalibrationData values and the CalibrationFlags byte of the SettingsBlock. Pure: the
// calibration window measures the points, shows the failure text, and sends the result.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qx {

// The target layouts, numbered as the registry's CalibrationMode.
enum CalibrationMethod : int {
  CornerMethod = 0,  // targets 1..4: TOP-LEFT, TOP-RIGHT, DOWN-RIGHT, DOWN-LEFT
  SideMethod = 1,    // targets 5..8: TOP, RIGHT, DOWN, LEFT
};

// How far from the screen edges the computation takes the targets to be, in pixels.
inline constexpr int TargetOffset = 16;

// Raw coordinates: 10 bits, 512 splits the axis in two halves for direction detection.
inline constexpr std::int16_t RawMax = 1023;
inline constexpr std::int16_t RawMiddle = 512;

// CalibrationFlags bits.
inline constexpr std::uint8_t XReversed = 1;
inline constexpr std::uint8_t YReversed = 2;
inline constexpr std::uint8_t AxesExchanged = 4;

// The caption of the box that shows a failure.
inline constexpr char CalibrationErrorTitle[] = "Touchscreen Calibration";

// The names the calibration window shows for targets 1..8; entry 0 is empty.
extern const std::array<const char*, 9> TargetNames;

// The first target of a method's four (p1); p2..p4 follow it.
int FirstTarget(CalibrationMethod method);

// The raw positions measured at the targets: entry i of both arrays belongs to target i.
// Only 1..8 are used; the calibration window clears 1..25 at the start of every run.
struct PointTable {
  std::array<std::int16_t, 26> PointX{};
  std::array<std::int16_t, 26> PointY{};
};

struct CalibrationResult {
  bool ok = false;
  std::array<std::int16_t, 6> CalibrationData{};  // indexed by CalibrationIndex: XLeft … YBottom
  std::uint8_t CalibrationFlags = 0;
  std::string message;  // on failure: the text for the box captioned CalibrationErrorTitle
};

// Eight "0"/"1" characters, one per value (below 512 / 512 or more), in corner order: X1 Y1 X2
// Y2 X3 Y3 X4 Y4 for CornerMethod; left X, top Y, right X, top Y, right X, bottom Y, left X,
// bottom Y (X8 Y5 X6 Y5 X6 Y7 X8 Y7) for SideMethod.
std::string DirectionPattern(CalibrationMethod method, const PointTable& points);

// 0..3 for the four known patterns (0 straight, 1 X reversed, 2 Y reversed, 3 both), -1 for any other.
int DirectionCode(const std::string& pattern);

// Works on p1..p4 of POINTS in place: reorders them by ROTATION_CODE (a value outside 0..3 is
// taken as 0 and stored back as 0), detects the direction (exchanging X and Y of every point
// when the first pattern matches nothing, and leaving them exchanged), mirrors the reversed
// axes, then computes the values in 16-bit whole numbers and extends them to the screen edges.
// Fails, with the text to show, when the direction is not recognised, when the screen
// (W x H pixels) is too small for the method's margins (W or H of 32 or less for CornerMethod,
// 64 or less for SideMethod: the margins would divide by zero or turn negative), or when a
// value leaves the 16-bit range. A screen-size failure leaves the table and code untouched.
CalibrationResult ComputeCalibration(CalibrationMethod method, std::int16_t W, std::int16_t H,
                                     std::int16_t& RotationCode, PointTable& points);

}  // namespace qx
