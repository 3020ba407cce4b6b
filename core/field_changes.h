// Settings changed by name, together: NAME=VALUE changes of the settings block's fields and of the
// suite's own touch options, as `qxctl set` sends them in one request (SetFields). All of them are
// taken or none, so a change never lands half-made, and a Set of the control panel that came in
// between is kept.
#pragma once

#include <string>

#include "core/settings_block.h"
#include "core/touch_options.h"

namespace qx {

// Makes each change of CHANGES ("TouchMode=1 SteadyFinger=3", separated by blanks) in BLOCK or
// OPTIONS (a field of the block, else a touch option). An error message, empty on success; BLOCK
// and OPTIONS are unchanged on error. DESCRIBED, on success: the changes as taken,
// "TouchMode=1 SteadyFinger=3", each value as `qxctl get` writes it.
std::string ApplyChanges(const std::string& changes, SettingsBlock& block, TouchOptions& options,
                         std::string& described);

}  // namespace qx
