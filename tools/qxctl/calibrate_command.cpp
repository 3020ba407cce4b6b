// qxctl calibrate: the calibration computation on four points given on the command line, as the
// calibration window would run it after measuring them. Talks to no device.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/calibration.h"
#include "core/settings_block.h"
#include "tools/qxctl/commands.h"

namespace qx::ctl {

namespace {

bool ParseInt16(const std::string& text, std::int16_t& out) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || v < INT16_MIN || v > INT16_MAX) return false;
  out = static_cast<std::int16_t>(v);
  return true;
}

// "A<sep>B" with two 16-bit numbers.
bool ParsePair(const std::string& text, char sep, std::int16_t& a, std::int16_t& b) {
  auto at = text.find(sep);
  return at != std::string::npos && ParseInt16(text.substr(0, at), a) && ParseInt16(text.substr(at + 1), b);
}

// Says WHY; qxctl adds the command's usage line.
int Usage(const std::string& why) {
  std::fprintf(stderr, "qxctl: %s\n", why.c_str());
  return kUsage;
}

}  // namespace

int Calibrate(const Args& args) {
  std::string method;
  bool haveScreen = false;
  std::int16_t width = 0, height = 0, rotation = 0;
  std::vector<std::string> points;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--method" && hasValue) {
      method = args[++i];
      if (method != "corner" && method != "side") return Usage("--method is corner or side");
    } else if (arg == "--screen" && hasValue) {
      haveScreen = ParsePair(args[++i], 'x', width, height);
      if (!haveScreen) return Usage("--screen is WxH, e.g. 1024x768");
    } else if (arg == "--rotation" && hasValue) {
      if (!ParseInt16(args[++i], rotation)) return Usage("--rotation is a 16-bit number");
    } else if (arg.rfind("--", 0) == 0) {
      return Usage("unknown or incomplete option '" + arg + "'");
    } else {
      points.push_back(arg);
    }
  }
  if (method.empty() || !haveScreen) return Usage("--method and --screen are needed");
  if (points.size() != 4) return Usage("four points X,Y are needed");

  // The points in the order the run measures them: p1..p4 of the chosen method.
  CalibrationMethod chosen = method == "side" ? SideMethod : CornerMethod;
  PointTable table;
  int first = FirstTarget(chosen);
  for (int k = 0; k < 4; ++k) {
    if (!ParsePair(points[k], ',', table.PointX[first + k], table.PointY[first + k]))
      return Usage("a point is X,Y, got '" + points[k] + "'");
  }

  CalibrationResult result = ComputeCalibration(chosen, width, height, rotation, table);
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.message.c_str());
    return kFailed;
  }
  const auto& v = result.CalibrationData;
  std::printf("XLeft=%d XCenter=%d XRight=%d YTop=%d YCenter=%d YBottom=%d Flags=%d\n", v[XLeft], v[XCenter], v[XRight],
              v[YTop], v[YCenter], v[YBottom], result.CalibrationFlags);
  return kOk;
}

}  // namespace qx::ctl
