#include "core/picture_turn.h"

namespace qx {

namespace {

// The quarter turns clockwise of each code; a quarter turn counter-clockwise is code 2.
constexpr int kTurns[4] = {0, 1, 3, 2};

}  // namespace

int QuarterTurns(int rotationCode) { return rotationCode >= 0 && rotationCode < 4 ? kTurns[rotationCode] : 0; }

std::int16_t RotationCodeOfTurns(int quarters) {
  const int turns = (quarters % 4 + 4) % 4;
  for (std::int16_t code = 0; code < 4; ++code)
    if (kTurns[code] == turns) return code;
  return 0;
}

}  // namespace qx
