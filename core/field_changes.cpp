#include "core/field_changes.h"

#include <sstream>

#include "core/settings_fields.h"

namespace qx {

std::string ApplyChanges(const std::string& changes, SettingsBlock& block, TouchOptions& options,
                         std::string& described) {
  SettingsBlock nextBlock = block;
  TouchOptions nextOptions = options;
  std::string taken;
  std::istringstream in(changes);
  for (std::string change; in >> change;) {
    const std::size_t eq = change.find('=');
    if (eq == std::string::npos) return "expected FIELD=VALUE, got '" + change + "'";
    const std::string name = change.substr(0, eq), value = change.substr(eq + 1);
    const bool inBlock = GetField(nextBlock, name).has_value();
    const std::string error = inBlock ? SetField(nextBlock, name, value) : SetOption(nextOptions, name, value);
    if (!error.empty()) return error;
    taken +=
        (taken.empty() ? "" : " ") + name + "=" + *(inBlock ? GetField(nextBlock, name) : GetOption(nextOptions, name));
  }
  if (taken.empty()) return "no FIELD=VALUE to set";
  block = nextBlock;
  options = nextOptions;
  described = taken;
  return "";
}

}  // namespace qx
