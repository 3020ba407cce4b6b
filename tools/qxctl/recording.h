// Recordings of a touchscreen in the evemu text format (what evemu-record writes: the device's
// description in N:, I:, P:, B: and A: lines, then one E: line per event, # comments), as
// `qxctl replay` plays them and `qxctl record` writes them. libevemu reads and writes every line;
// the lines are counted here, so that a message names the line at fault. A recording is read and
// checked whole before any of it is played.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/driver_records.h"

namespace qx {

struct RecordedEvent {
  std::int64_t time = 0;  // microseconds, as the recording has them
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

struct Recording {
  std::string name;  // the device's
  TouchAxes axes{};
  std::vector<RecordedEvent> events;  // ending with a SYN_REPORT
};

// Reads the recording at PATH. False with WHY ("PATH, line 12: …") when it cannot be read, has no
// description with absolute X and Y, holds a line that is neither a comment nor an event after
// the description, a bad E: line, ends without an end of line (cut short), or ends in the
// middle of a report (events after the last SYN_REPORT).
bool ReadRecording(const std::string& path, Recording& recording, std::string& why);

// The device a recording of the controller's reports describes: one touch, X and Y on the
// controller's raw 0..1023.
inline constexpr char kControllerName[] = "QX-COM touch-screen controller";

// Writes REPORTS (the controller's, their times in microseconds) to PATH as the recording of that
// device, each report a frame of the values that changed (ABS_X, ABS_Y, BTN_TOUCH) and a
// SYN_REPORT, timed from the first. PATH is replaced whole; false with WHY when it cannot be.
bool WriteRecording(const std::string& path, const std::vector<ReportEntry>& reports, std::string& why);

}  // namespace qx
