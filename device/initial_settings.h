// The device's initial settings as the installer left them in the suite's registry key: seven
// REG_BINARY values ("VirtualButton", "RightButtonFunction", "RightButtonAutomatic",
// "FeedbackSound", "FeedbackTone", "FeedbackDuration", "MouseSpeed"), each standing for one or
// four fields of the SettingsBlock. The service takes them when it starts and the set is not the
// one it took last, so that a new installation's settings are what the controller runs with,
// and a person's later changes are not undone at the next start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_block.h"

namespace qx {

struct InitialValue {
  std::string name;
  bool present = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// The seven values in the order above; one missing (or a key or registry that cannot be read) is
// not present.
using InitialSettings = std::vector<InitialValue>;

InitialSettings ReadInitialSettings();

// What the set is, as the service remembers it in its kept state: a 64-bit fingerprint of every
// value's presence, type and bytes; never 0, which stands for no set taken.
std::uint64_t Fingerprint(const InitialSettings& settings);

// Sets the fields of each present value that is a REG_BINARY of its size with every byte in
// its field's range (2-byte values low byte first); a value that is not is left out whole, and
// PROBLEMS says why. Returns the names of the fields set, in block order of the values.
std::vector<std::string> ApplyInitialSettings(const InitialSettings& settings, SettingsBlock& block,
                                              std::vector<std::string>& problems);

}  // namespace qx
