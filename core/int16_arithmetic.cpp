#include "core/int16_arithmetic.h"

#include <cmath>

namespace qx {

double RoundHalfEven(double value) {
  double whole = std::trunc(value);
  if (std::fabs(value - whole) != 0.5) return std::round(value);
  // Exactly a half: of the two neighbours, the one whose half is a whole number.
  return 2.0 * std::round(value / 2.0);
}

std::int16_t Int16Arithmetic::Checked(long value) {
  if (value < INT16_MIN || value > INT16_MAX) {
    overflowed_ = true;
    return 0;
  }
  return static_cast<std::int16_t>(value);
}

std::int16_t Int16Arithmetic::Add(std::int16_t a, std::int16_t b) { return Checked(long{a} + b); }

std::int16_t Int16Arithmetic::Sub(std::int16_t a, std::int16_t b) { return Checked(long{a} - b); }

std::int16_t Int16Arithmetic::Mul(std::int16_t a, std::int16_t b) { return Checked(long{a} * b); }

std::int16_t Int16Arithmetic::Div(std::int16_t a, std::int16_t b) {
  if (b == 0) {
    overflowed_ = true;
    return 0;
  }
  // C++ division truncates toward zero, as "\" does; -32768 \ -1 is caught by the range check.
  return Checked(long{a} / b);
}

std::int16_t Int16Arithmetic::Nearest(double value) {
  double whole = RoundHalfEven(value);
  // NaN fails both comparisons and is refused with the out-of-range values.
  if (!(whole >= INT16_MIN && whole <= INT16_MAX)) {
    overflowed_ = true;
    return 0;
  }
  return static_cast<std::int16_t>(whole);
}

}  // namespace qx
