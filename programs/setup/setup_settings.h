// The device's initial settings as "setup.ini" gives them: the eighteen keys of its "Settings"
// section, the number rule each is read by, and the twelve registry values of the suite's key
// they are written as (REG_DWORD, or bytes through SetBinary).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qx {

// A key's text as a number: "" (a missing key) gives nothing; otherwise leading blanks are
// skipped and the leading numeric characters (sign, digits, one decimal point, exponent) read,
// a text that does not begin with a number being 0, and rounded to the nearest whole number,
// halves to even. The number is accepted only when MIN <= it <= MAX.
std::optional<std::int32_t> SetupNumber(const std::string& text, std::int32_t min, std::int32_t max);

// VALUE as SetBinary's text of BYTES (1, 2 or 4) bytes, from its eight upper-case hex digits:
// 1 byte "B0" (the last pair), 2 bytes low byte first "B0,04", 4 bytes high byte first with a
// trailing comma "01,03,07,01,".
std::string ByteText(std::uint32_t value, int bytes);

// Step 3 of the installation: when the file at INI_PATH exists and the suite's key can be created
// or opened, reads the eighteen keys in order and writes the accepted values in order; the packed
// "RightButtonAutomatic" and "MouseSpeed" only when all four of their keys are accepted. A write
// that fails shows "Fail to save settings! (name)" and the next value is written all the same.
void WriteInitialSettings(const std::string& iniPath);

}  // namespace qx
