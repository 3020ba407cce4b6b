// The calibration run's driver in the control panel: the program's driver link (its requests and
// the records they fill), and polls paced once a millisecond from the event loop (PacedPoll).
#pragma once

#include <functional>

#include "programs/panel/calibration_run.h"
#include "programs/panel/paced_poll.h"

namespace qx {

class CalibrationDriverLink final : public CalibrationDriver {
 public:
  // POLL is called for every poll while they run.
  explicit CalibrationDriverLink(std::function<void()> poll);

  SettingsBlock& Block() override;
  const TouchSample& GetTouchSample() override;
  SmiRegistration& GetSmiRegistration() override;
  void SetCalibrationState(long state) override;
  void SetCalibration() override;
  void StartPolls() override { poll_.start(); }
  void StopPolls() override { poll_.stop(); }

 private:
  PacedPoll poll_{nullptr};
};

}  // namespace qx
