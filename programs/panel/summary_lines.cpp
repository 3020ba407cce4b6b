#include "programs/panel/summary_lines.h"

#include "core/controller_info.h"
#include "core/driver_link.h"
#include "core/settings_block.h"

namespace qx {

std::string SummaryText(SummaryLine line) {
  const SettingsBlock& s = Settings;
  switch (line) {
    case SummaryLine::SerialPort: return ControllerPortText(ControllerRecord, s);
    case SummaryLine::VirtualButton: return TouchModeText(s.TouchMode, s.RbfEnable, s.RbfAutoMode);
    case SummaryLine::FeedbackSound: return SoundModeText(s.SoundMode);
    case SummaryLine::MouseSpeed: return MouseSpeedText(s.SpeedH, s.SpeedV, s.Acceleration, s.Bypass);
    case SummaryLine::SleepTime: return PowerSaveLine(ControllerRecord, s);
    case SummaryLine::Sensitivity: return SensitivityLine(ControllerRecord, s);
  }
  return "";
}

}  // namespace qx
