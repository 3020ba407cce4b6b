// The touch path: a raw report in (0..1023 on each axis while the finger is on the panel), the
// controller's latest sample and counter, the pointer position under the calibration, the armed
// one-shot right button; the pointer actions out, to every output attached. The one place that
// decides what a report means, whichever input it came from; the journal's `Report` line is
// written here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/driver_records.h"
#include "core/settings_block.h"
#include "device/journal.h"
#include "device/pointer_mapping.h"
#include "device/pointer_output.h"

namespace qx {

class TouchPath {
 public:
  // SETTINGS is the controller's block as it is kept, read at every report (calibration, screen
  // size); it and JOURNAL outlive the path.
  TouchPath(const SettingsBlock& settings, Journal& journal) : settings_(settings), journal_(journal) {}

  // Outputs get every action from now on, in the order they were attached; each outlives the path.
  void Attach(PointerOutput& output) { outputs_.push_back(&output); }

  // One report of the controller: the sample and its counter, the `Report` line, the pointer
  // moved to where the report maps when that is not where it is; a touch-down while the right
  // button is armed disarms it and is a right click.
  void Report(std::int16_t x, std::int16_t y, bool touching);
  // Counts COUNT reports without making them: the counter moves on as if they had come, and
  // nothing else does (for reports that would repeat the last one exactly).
  void CountUnmade(std::size_t count);

  // The latest report, as GetTouchSample hands it out.
  const TouchSample& sample() const { return sample_; }
  bool touching() const { return (sample_.Status & TOUCH_BIT) != 0; }

  // The right-button program's registration: its window and the one-shot flag.
  const RbfRegistration& rightButton() const { return rightButton_; }
  void Register(const RbfRegistration& registration) { rightButton_ = registration; }

 private:
  void Emit(const PointerAction& action);

  const SettingsBlock& settings_;
  Journal& journal_;
  std::vector<PointerOutput*> outputs_;
  TouchSample sample_{};
  RbfRegistration rightButton_{-1, 0, 0};
  // Where the last move put the pointer (nowhere before the first report).
  bool moved_ = false;
  ScreenPoint pointer_{};
};

}  // namespace qx
