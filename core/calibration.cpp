#include "core/calibration.h"

#include <utility>

#include "core/int16_arithmetic.h"
#include "core/picture_turn.h"
#include "core/settings_block.h"

namespace qx {

const std::array<const char*, 9> TargetNames = {
    "", "TOP-LEFT", "TOP-RIGHT", "DOWN-RIGHT", "DOWN-LEFT", "TOP", "RIGHT", "DOWN", "LEFT",
};

int FirstTarget(CalibrationMethod method) { return method == SideMethod ? 5 : 1; }

namespace {

const char kCrLf[] = "\r\n";

CalibrationResult Failure(std::string message) {
  CalibrationResult result;
  result.message = std::move(message);
  return result;
}

// The smallest screen the method's margins can be computed for: the corner margins divide by
// W - 2 x 16, the side margins by W / 2 - 2 x 16.
int SmallestScreen(CalibrationMethod method) {
  return method == SideMethod ? 2 * 2 * TargetOffset + 1 : 2 * TargetOffset + 1;
}

// p1..p4 take the values of p(1 + (k + shift) mod 4): shift 3 is "the target before",
// 1 "the target after", 2 "the opposite target": the picture's quarter turns undone.
void Reorder(PointTable& points, int first, int rotationCode) {
  const int shift = (4 - QuarterTurns(rotationCode)) % 4;
  if (shift == 0) return;
  PointTable old = points;
  for (int k = 0; k < 4; ++k) {
    int from = first + (k + shift) % 4;
    points.PointX[first + k] = old.PointX[from];
    points.PointY[first + k] = old.PointY[from];
  }
}

void ExchangeAxes(PointTable& points, int first) {
  for (int i = first; i < first + 4; ++i) std::swap(points.PointX[i], points.PointY[i]);
}

void Mirror(PointTable& points, int first, std::uint8_t flags, Int16Arithmetic& calc) {
  if (flags & YReversed)
    for (int i = first; i < first + 4; ++i) points.PointY[i] = calc.Sub(RawMax, points.PointY[i]);
  if (flags & XReversed)
    for (int i = first; i < first + 4; ++i) points.PointX[i] = calc.Sub(RawMax, points.PointX[i]);
}

// The values at the targets and the margins that extend them to the screen edges.
struct InnerValues {
  std::array<std::int16_t, 6> value{};
  double marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
};

// (span + 1) / (pixels between the targets) x 16, with the span worked in 16 bits.
double Margin(std::int16_t from, std::int16_t to, double pixels, Int16Arithmetic& calc) {
  std::int16_t span = calc.Add(calc.Sub(to, from), 1);
  return span / pixels * TargetOffset;
}

InnerValues CornerValues(const PointTable& p, std::int16_t W, std::int16_t H, Int16Arithmetic& calc) {
  const auto& X = p.PointX;
  const auto& Y = p.PointY;
  InnerValues in;
  auto& v = in.value;
  v[XLeft] = calc.Div(calc.Add(X[1], X[4]), 2);
  v[XRight] = calc.Div(calc.Add(X[2], X[3]), 2);
  v[YTop] = calc.Div(calc.Add(Y[1], Y[2]), 2);
  v[YBottom] = calc.Div(calc.Add(Y[3], Y[4]), 2);
  v[XCenter] = calc.Add(v[XLeft], calc.Div(calc.Sub(v[XRight], v[XLeft]), 2));
  v[YCenter] = calc.Add(v[YTop], calc.Div(calc.Sub(v[YBottom], v[YTop]), 2));
  double across = W - 2 * TargetOffset;
  double down = H - 2 * TargetOffset;
  in.marginLeft = in.marginRight = Margin(v[XLeft], v[XRight], across, calc);
  in.marginTop = in.marginBottom = Margin(v[YTop], v[YBottom], down, calc);
  return in;
}

InnerValues SideValues(const PointTable& p, std::int16_t W, std::int16_t H, Int16Arithmetic& calc) {
  const auto& X = p.PointX;
  const auto& Y = p.PointY;
  InnerValues in;
  auto& v = in.value;
  // Each edge value is its one measured value; the products are still worked in 16 bits.
  v[XLeft] = calc.Div(calc.Mul(3, X[8]), 3);
  v[XRight] = calc.Div(calc.Mul(3, X[6]), 3);
  v[YTop] = calc.Div(calc.Mul(3, Y[5]), 3);
  v[YBottom] = calc.Div(calc.Mul(3, Y[7]), 3);
  // TOP and DOWN stand at the horizontal centre, RIGHT and LEFT at the vertical one.
  v[XCenter] = calc.Div(calc.Add(X[5], X[7]), 2);
  v[YCenter] = calc.Div(calc.Add(Y[6], Y[8]), 2);
  // Each half on its own; twice the offset comes off the half screen, as the controller's
  // calibration has always been computed.
  double across = W / 2.0 - 2 * TargetOffset;
  double down = H / 2.0 - 2 * TargetOffset;
  in.marginLeft = Margin(v[XLeft], v[XCenter], across, calc);
  in.marginRight = Margin(v[XCenter], v[XRight], across, calc);
  in.marginTop = Margin(v[YTop], v[YCenter], down, calc);
  in.marginBottom = Margin(v[YCenter], v[YBottom], down, calc);
  return in;
}

}  // namespace

std::string DirectionPattern(CalibrationMethod method, const PointTable& points) {
  const auto& X = points.PointX;
  const auto& Y = points.PointY;
  // The side targets stand for the corners: left X and top Y make the top-left corner, and so on.
  std::array<std::int16_t, 8> corners =
      method == SideMethod ? std::array<std::int16_t, 8>{X[8], Y[5], X[6], Y[5], X[6], Y[7], X[8], Y[7]}
                           : std::array<std::int16_t, 8>{X[1], Y[1], X[2], Y[2], X[3], Y[3], X[4], Y[4]};
  std::string pattern;
  for (std::int16_t v : corners) pattern += v < RawMiddle ? '0' : '1';
  return pattern;
}

int DirectionCode(const std::string& pattern) {
  static const char* const kPatterns[4] = {"00101101", "10000111", "01111000", "11010010"};
  for (int code = 0; code < 4; ++code)
    if (pattern == kPatterns[code]) return code;
  return -1;
}

CalibrationResult ComputeCalibration(CalibrationMethod method, std::int16_t W, std::int16_t H,
                                     std::int16_t& RotationCode, PointTable& points) {
  if (method != CornerMethod && method != SideMethod)
    return Failure("Fail to calibration! ( mode " + std::to_string(int{method}) + " not support )");
  int smallest = SmallestScreen(method);
  if (W < smallest || H < smallest) {
    return Failure("Screen Too Small For Calibration! (" + std::to_string(W) + " X " + std::to_string(H) + ")" + kCrLf +
                   kCrLf + "The targets need a screen of at least " + std::to_string(smallest) + " X " +
                   std::to_string(smallest) + " pixels.");
  }

  if (RotationCode < 0 || RotationCode > 3) RotationCode = 0;
  int first = FirstTarget(method);
  Reorder(points, first, RotationCode);

  std::string firstPattern = DirectionPattern(method, points);
  int code = DirectionCode(firstPattern);
  std::uint8_t flags = 0;
  if (code >= 0) {
    flags = static_cast<std::uint8_t>(code);
  } else {
    ExchangeAxes(points, first);
    std::string secondPattern = DirectionPattern(method, points);
    code = DirectionCode(secondPattern);
    if (code < 0) {
      return Failure("Incorrect Panel Direction! (" + firstPattern + "-" + secondPattern + ")" + kCrLf + kCrLf +
                     "Please checkout the pinout of your touch panel.");
    }
    flags = static_cast<std::uint8_t>(code + AxesExchanged);
  }

  Int16Arithmetic calc;
  Mirror(points, first, flags, calc);
  InnerValues in = method == SideMethod ? SideValues(points, W, H, calc) : CornerValues(points, W, H, calc);

  CalibrationResult result;
  auto& v = result.CalibrationData;
  v = in.value;
  v[XLeft] = calc.Nearest(v[XLeft] - in.marginLeft);
  v[XRight] = calc.Nearest(v[XRight] + in.marginRight);
  v[YTop] = calc.Nearest(v[YTop] - in.marginTop);
  v[YBottom] = calc.Nearest(v[YBottom] + in.marginBottom);
  if (calc.overflowed()) {
    return Failure(std::string("Calibration Overflow!") + kCrLf + kCrLf +
                   "The measured points give values beyond 16 bits. Please calibrate again.");
  }
  if (v[XLeft] < 0) v[XLeft] = 0;
  if (v[XRight] > RawMax) v[XRight] = RawMax;
  if (v[YTop] < 0) v[YTop] = 0;
  if (v[YBottom] > RawMax) v[YBottom] = RawMax;
  result.CalibrationFlags = flags;
  result.ok = true;
  return result;
}

}  // namespace qx
