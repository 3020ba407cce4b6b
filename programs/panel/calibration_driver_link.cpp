#include "programs/panel/calibration_driver_link.h"

#include "core/driver_link.h"

namespace qx {

CalibrationDriverLink::CalibrationDriverLink(std::function<void()> poll) {
  QObject::connect(&poll_, &PacedPoll::Due, std::move(poll));
}

SettingsBlock& CalibrationDriverLink::Block() { return Settings; }

const TouchSample& CalibrationDriverLink::GetTouchSample() {
  qx::GetTouchSample();
  return Touch;
}

SmiRegistration& CalibrationDriverLink::GetSmiRegistration() {
  qx::GetSmiRegistration();
  return SmiRecord;
}

void CalibrationDriverLink::SetCalibrationState(long state) { qx::SetCalibrationState(state); }

void CalibrationDriverLink::SetCalibration() { qx::SetCalibration(); }

}  // namespace qx
