// The main window's summary lines, one per setting, each computed here from the SettingsBlock and
// what the controller is (ControllerRecord: its bus and name, the settings it does not have).
#pragma once

#include <string>

namespace qx {

enum class SummaryLine { SerialPort, VirtualButton, FeedbackSound, MouseSpeed, SleepTime, Sensitivity };

inline constexpr SummaryLine kSummaryLines[] = {SummaryLine::SerialPort,    SummaryLine::SleepTime,
                                                SummaryLine::VirtualButton, SummaryLine::FeedbackSound,
                                                SummaryLine::Sensitivity,   SummaryLine::MouseSpeed};

// The text of LINE as the SettingsBlock now gives it ("&&" still doubled, as the texts are built).
std::string SummaryText(SummaryLine line);

}  // namespace qx
