// KDE's double-click time: DoubleClickInterval in group [KDE] of $XDG_CONFIG_HOME/kdeglobals, an
// INI file read and rewritten as the profile files are (host/profile_file.h).
#include <charconv>
#include <cstdlib>
#include <string>

#include "host/desktop_home.h"
#include "host/profile_file.h"

namespace qx {

namespace {

constexpr char kGroup[] = "KDE";
constexpr char kKey[] = "DoubleClickInterval";
constexpr unsigned kKdeDefault = 400;  // what KDE takes when kdeglobals does not say

class KdeHome : public DoubleClickHome {
 public:
  explicit KdeHome(std::string file) : file_(std::move(file)) {}

  std::optional<unsigned> Read() const override {
    for (const profile::Entry& e : ProfileSectionEntries(file_, kGroup)) {
      if (e.key != kKey) continue;
      unsigned value = 0;
      const auto [end, error] = std::from_chars(e.value.data(), e.value.data() + e.value.size(), value);
      if (error != std::errc() || end != e.value.data() + e.value.size()) return std::nullopt;
      return value;
    }
    return kKdeDefault;
  }

  bool Write(unsigned milliseconds) const override {
    return WriteProfileValue(file_, kGroup, kKey, std::to_string(milliseconds));
  }

 private:
  std::string file_;
};

}  // namespace

std::unique_ptr<DoubleClickHome> KdeDoubleClickHome() {
  // XDG_CONFIG_HOME counts only as an absolute path; else ~/.config.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config && *config == '/') return std::make_unique<KdeHome>(std::string(config) + "/kdeglobals");
  if (home && *home == '/') return std::make_unique<KdeHome>(std::string(home) + "/.config/kdeglobals");
  return nullptr;
}

}  // namespace qx
