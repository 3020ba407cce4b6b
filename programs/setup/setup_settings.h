// The device's initial settings as "setup.ini" gives them: the eighteen keys of its "Settings"
// section, the number rule each is read by, and the twelve registry values of the suite's key
// they are written as (REG_DWORD, or bytes through SetBinary).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qx {

struct SetupKey {
  const char* name;
  std::int32_t min;
  std::int32_t max;
};

// The keys of "setup.ini" in the order they are read, with their ranges.
inline constexpr std::array<SetupKey, 18> kSetupKeys{{
    {"CalibrationMode", 0, 1},
    {"VirtualButton", 1, 4},
    {"RightButtonFunction", 0, 1},
    {"RightButtonAutoMode", 0, 1},
    {"RightButtonAutoSTime", 0, 9},
    {"RightButtonAutoETime", 0, 9},
    {"RightButtonAutoBeep", 0, 1},
    {"FeedbackSound", 1, 4},
    {"FeedbackTone", 200, 5000},
    {"FeedbackDuration", 10, 50},
    {"MouseBypass", 0, 1},
    {"MouseHSpeed", 1, 20},
    {"MouseVSpeed", 1, 20},
    {"MouseAcceleration", 1, 4},
    {"DoubleClickSpeed", 100, 900},
    {"DoubleClickWidth", 0, 64},
    {"DoubleClickHeight", 0, 64},
    {"PanelDirection", 0, 7},
}};

// The accepted number of each key of kSetupKeys, in its place; nothing for one missing or refused.
using SetupValues = std::array<std::optional<std::int32_t>, kSetupKeys.size()>;

// A key's text as a number: "" (a missing key) gives nothing; otherwise leading blanks are
// skipped and the leading numeric characters (sign, digits, one decimal point, exponent) read,
// a text that does not begin with a number being 0, and rounded to the nearest whole number,
// halves to even. The number is accepted only when MIN <= it <= MAX.
std::optional<std::int32_t> SetupNumber(const std::string& text, std::int32_t min, std::int32_t max);

// VALUE as SetBinary's text of BYTES (1, 2 or 4) bytes, from its eight upper-case hex digits:
// 1 byte "B0" (the last pair), 2 bytes low byte first "B0,04", 4 bytes high byte first with a
// trailing comma "01,03,07,01,".
std::string ByteText(std::uint32_t value, int bytes);

// The keys of section "Settings" of the file at INI_PATH, each read as the installer reads it
// (ReadIniString, then SetupNumber with its range). A file that is missing, no regular file or
// larger than 1 MiB gives nothing for every key.
SetupValues ReadSetupValues(const std::string& iniPath);

// Step 3 of the installation: when the file at INI_PATH exists and the suite's key can be created
// or opened, reads the eighteen keys in order and writes the accepted values in order; the packed
// "RightButtonAutomatic" and "MouseSpeed" only when all four of their keys are accepted. A write
// that fails shows "Fail to save settings! (name)" and the next value is written all the same.
void WriteInitialSettings(const std::string& iniPath);

}  // namespace qx
