#include "tests/tools/calibration_oracle.h"

#include <cfenv>
#include <cmath>

namespace qx::test {

namespace {

// Raised by any intermediate that leaves the 16-bit range; caught once, at the top.
struct OutOfRange {};

long Fit(long v) {
  if (v < -32768 || v > 32767) throw OutOfRange{};
  return v;
}

// "\" by a small positive divisor: C++ division already truncates toward zero.
long IntDiv(long v, long d) { return Fit(v / d); }

long ToNearest(double v) {
  // The default floating-point mode rounds halves to even.
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(v);
  if (!(r >= -32768.0 && r <= 32767.0)) throw OutOfRange{};
  return static_cast<long>(r);
}

using Pt = std::pair<long, long>;

// The four corners the pattern looks at, as (x, y) pairs in corner order.
std::array<Pt, 4> CornersOf(bool side, const std::array<Pt, 4>& p) {
  if (!side) return p;
  // p = TOP, RIGHT, DOWN, LEFT: a corner takes its X from the side target and its Y from the
  // top or bottom one.
  const Pt& top = p[0];
  const Pt& right = p[1];
  const Pt& down = p[2];
  const Pt& left = p[3];
  return {Pt{left.first, top.second}, Pt{right.first, top.second}, Pt{right.first, down.second},
          Pt{left.first, down.second}};
}

int PatternBits(bool side, const std::array<Pt, 4>& p) {
  int bits = 0;
  for (const Pt& c : CornersOf(side, p)) {
    bits = (bits << 1) | (c.first >= 512 ? 1 : 0);
    bits = (bits << 1) | (c.second >= 512 ? 1 : 0);
  }
  return bits;
}

std::string PatternText(int bits) {
  std::string s;
  for (int i = 7; i >= 0; --i) s += ((bits >> i) & 1) ? '1' : '0';
  return s;
}

int CodeOf(int bits) {
  switch (bits) {
    case 0b00101101: return 0;
    case 0b10000111: return 1;
    case 0b01111000: return 2;
    case 0b11010010: return 3;
    default: return -1;
  }
}

OracleOutcome Fail(std::string text) {
  OracleOutcome o;
  o.message = std::move(text);
  return o;
}

}  // namespace

OracleOutcome OracleCalibrate(const OracleInput& in) {
  const int smallest = in.side ? 65 : 33;
  if (in.width < smallest || in.height < smallest) {
    std::string s = std::to_string(smallest);
    return Fail("Screen Too Small For Calibration! (" + std::to_string(in.width) + " X " + std::to_string(in.height) +
                ")\r\n\r\nThe targets need a screen of at least " + s + " X " + s + " pixels.");
  }

  std::array<Pt, 4> m;
  for (int k = 0; k < 4; ++k) m[k] = {in.measured[k].first, in.measured[k].second};
  int rotation = (in.rotation >= 0 && in.rotation <= 3) ? in.rotation : 0;
  std::array<Pt, 4> p;
  switch (rotation) {
    case 1: p = {m[3], m[0], m[1], m[2]}; break;  // each from the target before it
    case 2: p = {m[1], m[2], m[3], m[0]}; break;  // each from the target after it
    case 3: p = {m[2], m[3], m[0], m[1]}; break;  // each from the opposite target
    default: p = m; break;
  }

  int before = PatternBits(in.side, p);
  int flags = CodeOf(before);
  if (flags < 0) {
    for (Pt& q : p) q = {q.second, q.first};
    int after = PatternBits(in.side, p);
    if (CodeOf(after) < 0) {
      return Fail("Incorrect Panel Direction! (" + PatternText(before) + "-" + PatternText(after) +
                  ")\r\n\r\nPlease checkout the pinout of your touch panel.");
    }
    flags = CodeOf(after) + 4;
  }

  try {
    for (Pt& q : p) {
      if (flags & 2) q.second = Fit(1023 - q.second);
    }
    for (Pt& q : p) {
      if (flags & 1) q.first = Fit(1023 - q.first);
    }
    long xl, xc, xr, yt, yc, yb;
    double ml, mr, mt, mb;
    if (!in.side) {
      const Pt &tl = p[0], &tr = p[1], &dr = p[2], &dl = p[3];
      xl = IntDiv(Fit(tl.first + dl.first), 2);
      xr = IntDiv(Fit(tr.first + dr.first), 2);
      yt = IntDiv(Fit(tl.second + tr.second), 2);
      yb = IntDiv(Fit(dr.second + dl.second), 2);
      xc = Fit(xl + IntDiv(Fit(xr - xl), 2));
      yc = Fit(yt + IntDiv(Fit(yb - yt), 2));
      ml = mr = static_cast<double>(Fit(Fit(xr - xl) + 1)) / (in.width - 32) * 16;
      mt = mb = static_cast<double>(Fit(Fit(yb - yt) + 1)) / (in.height - 32) * 16;
    } else {
      const Pt &top = p[0], &right = p[1], &down = p[2], &left = p[3];
      xl = IntDiv(Fit(3 * left.first), 3);
      xr = IntDiv(Fit(3 * right.first), 3);
      yt = IntDiv(Fit(3 * top.second), 3);
      yb = IntDiv(Fit(3 * down.second), 3);
      xc = IntDiv(Fit(top.first + down.first), 2);
      yc = IntDiv(Fit(right.second + left.second), 2);
      double halfW = in.width / 2.0 - 32;
      double halfH = in.height / 2.0 - 32;
      ml = static_cast<double>(Fit(Fit(xc - xl) + 1)) / halfW * 16;
      mr = static_cast<double>(Fit(Fit(xr - xc) + 1)) / halfW * 16;
      mt = static_cast<double>(Fit(Fit(yc - yt) + 1)) / halfH * 16;
      mb = static_cast<double>(Fit(Fit(yb - yc) + 1)) / halfH * 16;
    }
    long left = ToNearest(static_cast<double>(xl) - ml);
    long right = ToNearest(static_cast<double>(xr) + mr);
    long top = ToNearest(static_cast<double>(yt) - mt);
    long bottom = ToNearest(static_cast<double>(yb) + mb);
    OracleOutcome o;
    o.ok = true;
    o.flags = flags;
    o.values = {
        static_cast<int>(left < 0 ? 0 : left), static_cast<int>(xc), static_cast<int>(right > 1023 ? 1023 : right),
        static_cast<int>(top < 0 ? 0 : top),   static_cast<int>(yc), static_cast<int>(bottom > 1023 ? 1023 : bottom)};
    return o;
  } catch (const OutOfRange&) {
    return Fail("Calibration Overflow!\r\n\r\nThe measured points give values beyond 16 bits. Please calibrate again.");
  }
}

std::string OracleLine(const OracleOutcome& o) {
  if (!o.ok) return o.message + "\n";
  const auto& v = o.values;
  return "XLeft=" + std::to_string(v[0]) + " XCenter=" + std::to_string(v[1]) + " XRight=" + std::to_string(v[2]) +
         " YTop=" + std::to_string(v[3]) + " YCenter=" + std::to_string(v[4]) + " YBottom=" + std::to_string(v[5]) +
         " Flags=" + std::to_string(o.flags) + "\n";
}

}  // namespace qx::test
