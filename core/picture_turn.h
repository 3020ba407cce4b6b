// How the picture stands on the touch panel, both ways: the RotationCode the companion registers
// (companion/rotation_code.h says which screen turn has which code) and the quarter turns
// clockwise it stands for. One table, read by the calibration's reordering of its points, the
// service's mapping of a turned picture, and the companion.
#pragma once

#include <cstdint>

namespace qx {

// The quarter turns clockwise of the picture for ROTATION_CODE: 0 upright, 1 a quarter turn
// clockwise, 2 a quarter turn counter-clockwise (three clockwise), 3 a half turn; 0 for a code out
// of range.
int QuarterTurns(int rotationCode);

// The RotationCode of a picture turned QUARTERS quarter turns clockwise (any whole number).
std::int16_t RotationCodeOfTurns(int quarters);

}  // namespace qx
