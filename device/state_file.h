// The controller's settings as the device service keeps them across restarts: one small file,
// replaced whole and atomically (write aside, flush, rename), so a kill at any instant leaves
// the old state or the new one, never a torn file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_block.h"
#include "core/touch_options.h"

namespace qx {

// The calibration of a panel that has none yet (and of a controller never calibrated): its axes
// straight onto its monitor, no flags.
inline constexpr std::int16_t kStraightCalibration[6] = {0, 512, 1023, 0, 512, 1023};

// A calibration kept for a panel not in use: CalibrationData, CalibrationFlags and the rotation
// it was made at.
struct PanelCalibration {
  std::string panel;  // the touchscreen's identity text: name, vendor and product, where connected
  std::int16_t data[6] = {};
  std::uint8_t flags = 0;
  std::int8_t calibratedAt = -1;
};

struct StoredState {
  SettingsBlock block{};
  bool present = true;
  // The fingerprint of the initial settings last taken (device/initial_settings.h); 0: none yet.
  std::uint64_t initialSettings = 0;
  // The RotationCode the picture stood at when the calibration was made; -1: not known (a
  // calibration kept before the service noted it), taken as the picture's whatever it is.
  std::int8_t calibratedAt = -1;
  // The suite's own touch settings, beside the block.
  TouchOptions options = DefaultOptions();
  // The panel whose calibration the block holds; "": none yet (an older file, or no touchscreen
  // taken since), given to the next panel taken.
  std::string calibratedPanel;
  // The calibrations of the other panels, the most recently set aside last.
  std::vector<PanelCalibration> panels;
};

// The most panels whose calibrations are kept besides the one in use; the longest identity kept.
inline constexpr std::size_t kKeptPanels = 32;
inline constexpr std::size_t kLongestPanel = 512;

// The settings a controller starts with when the service has never kept any.
StoredState DefaultState();

class StateFile {
 public:
  explicit StateFile(std::string path);

  // The kept state; nothing when there is no file. A damaged file, or a link, FIFO or folder in
  // its place, is moved aside to PATH.damaged, said on stderr, and read as no file. A newer
  // version's file is said on stderr and left as it is: what this version knows of it is read,
  // and Save writes nothing over it from then on.
  std::optional<StoredState> Load() const;
  bool Save(const StoredState& state) const;

  const std::string& path() const { return path_; }

 private:
  std::optional<StoredState> SetAside(const char* what) const;
  std::optional<StoredState> LoadNewer(const std::uint8_t* data, std::size_t got) const;

  std::string path_;
  // Load found a newer version's file. Set before the saver's first write, which a lock orders
  // after it (device/state_saver.h).
  mutable bool newer_ = false;
};

}  // namespace qx
