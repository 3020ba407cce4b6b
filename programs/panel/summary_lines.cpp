#include "programs/panel/summary_lines.h"

#include "core/driver_link.h"
#include "core/settings_block.h"

namespace qx {

std::string SummaryText(SummaryLine line) {
  const SettingsBlock& s = Settings;
  switch (line) {
    case SummaryLine::SerialPort: return SerialPortText(s);
    case SummaryLine::VirtualButton: return TouchModeText(s.TouchMode, s.RbfEnable, s.RbfAutoMode);
    case SummaryLine::FeedbackSound: return SoundModeText(s.SoundMode);
    case SummaryLine::MouseSpeed: return MouseSpeedText(s.SpeedH, s.SpeedV, s.Acceleration, s.Bypass);
    case SummaryLine::SleepTime: return PowerSaveText(s.PowerDownTime);
    case SummaryLine::Sensitivity: return SensitivityText(s.Sensitivity);
  }
  return "";
}

}  // namespace qx
