// Whole numbers as the suite's formulas use them: signed 16-bit sums, differences, products and
// "\" divisions with overflow detection, and the conversion of a computed number to the nearest
// whole number with halves to the even neighbour.
#pragma once

#include <cstdint>

namespace qx {

// The nearest whole number, a half going to the even neighbour (918.5 gives 918, 919.5 gives 920).
// Does not depend on the floating-point rounding mode of the moment.
double RoundHalfEven(double value);

// 16-bit signed arithmetic that never wraps: a result outside -32768..32767 (or a division by
// zero) gives 0 and marks the calculation as overflowed. The mark stays, so a formula can be
// worked through and checked once at the end.
class Int16Arithmetic {
 public:
  std::int16_t Add(std::int16_t a, std::int16_t b);
  std::int16_t Sub(std::int16_t a, std::int16_t b);
  std::int16_t Mul(std::int16_t a, std::int16_t b);
  // "\": the quotient truncated toward zero.
  std::int16_t Div(std::int16_t a, std::int16_t b);
  // RoundHalfEven of VALUE, which must fit in 16 bits.
  std::int16_t Nearest(double value);

  bool overflowed() const { return overflowed_; }

 private:
  std::int16_t Checked(long value);
  bool overflowed_ = false;
};

}  // namespace qx
