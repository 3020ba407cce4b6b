#include "device/monitor_choice.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace qx {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool BuiltInConnector(const std::string& name) {
  const std::string n = Lower(name);
  return n.rfind("edp", 0) == 0 || n.rfind("lvds", 0) == 0 || n.rfind("dsi", 0) == 0;
}

// The EDID maker named in the touchscreen's name ("Dell Inc." in "Dell Touchscreen"): its first
// word of three letters or more.
bool MakerNamed(const std::string& maker, const std::string& panelName) {
  std::string first = Lower(maker);
  first = first.substr(0, first.find_first_of(" .,"));
  return first.size() >= 3 && Lower(panelName).find(first) != std::string::npos;
}

bool Within(double a, double b) { return a > 0 && b > 0 && std::abs(a - b) <= 0.1 * b; }

// The monitor's physical size is the touchscreen's, either way round.
bool SizeMatches(const MonitorInfo& m, const PanelFacts& panel) {
  return (Within(panel.widthMm, m.WidthMm) && Within(panel.heightMm, m.HeightMm)) ||
         (Within(panel.widthMm, m.HeightMm) && Within(panel.heightMm, m.WidthMm));
}

bool SameEdid(const MonitorInfo& m, const MonitorChoice& remembered) {
  return !remembered.maker.empty() && Text(m.Maker) == remembered.maker && Text(m.Model) == remembered.model &&
         Text(m.Serial) == remembered.serial;
}

}  // namespace

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

int ChooseMonitor(const MonitorLayout& layout, const MonitorChoice& remembered, const PanelFacts& panel,
                  std::string& why) {
  const int count = static_cast<int>(std::min<std::uint32_t>(layout.Count, kMonitors));
  const auto first = [&](const std::function<bool(const MonitorInfo&)>& rule, const std::string& reason) {
    for (int i = 0; i < count; ++i)
      if (rule(layout.Monitors[i])) {
        why = reason;
        return i;
      }
    return -1;
  };
  const std::pair<std::function<bool(const MonitorInfo&)>, std::string> rules[] = {
      {[&](const MonitorInfo& m) { return !remembered.output.empty() && Text(m.Name) == remembered.output; },
       "set with qxctl map-to-output"},
      {[&](const MonitorInfo& m) { return SameEdid(m, remembered); }, "set with qxctl map-to-output (by its EDID)"},
      {[&](const MonitorInfo& m) { return panel.builtIn && BuiltInConnector(Text(m.Name)); },
       "the built-in panel, as the touchscreen is built in"},
      {[&](const MonitorInfo& m) { return MakerNamed(Text(m.Maker), panel.name); },
       "its maker makes the touchscreen too"},
      {[&](const MonitorInfo& m) { return SizeMatches(m, panel); }, "its size is the touchscreen's"},
      {[](const MonitorInfo& m) { return m.Primary != 0; }, "the primary monitor"},
      {[](const MonitorInfo&) { return true; }, "the first monitor"},
  };
  for (const auto& [rule, reason] : rules)
    if (int i = first(rule, reason); i >= 0) return i;
  why = "no monitor known yet";
  return -1;
}

ScreenRect MonitorRect(const MonitorInfo& m) { return {m.X, m.Y, m.Width, m.Height}; }

ScreenRect DesktopRect(const MonitorLayout& layout) {
  const int count = static_cast<int>(std::min<std::uint32_t>(layout.Count, kMonitors));
  if (count == 0) return {};
  // In 64 bits: a monitor's X + Width, or the span from one edge to the other, may pass 2^31;
  // such a span is cut to the largest an int holds.
  std::int64_t left = layout.Monitors[0].X, top = layout.Monitors[0].Y;
  std::int64_t right = left + layout.Monitors[0].Width, bottom = top + layout.Monitors[0].Height;
  for (int i = 1; i < count; ++i) {
    const MonitorInfo& m = layout.Monitors[i];
    left = std::min<std::int64_t>(left, m.X), top = std::min<std::int64_t>(top, m.Y);
    right = std::max<std::int64_t>(right, std::int64_t(m.X) + m.Width);
    bottom = std::max<std::int64_t>(bottom, std::int64_t(m.Y) + m.Height);
  }
  constexpr std::int64_t kMost = std::numeric_limits<int>::max();
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(std::min(right - left, kMost)),
          static_cast<int>(std::min(bottom - top, kMost))};
}

}  // namespace qx
