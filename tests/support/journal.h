// The device service's journal as qxctl prints it, read by tests: a line a request or a report,
// oldest first, since the last `qxctl journal --clear`.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qx::test {

// The whole journal of the current root's service.
std::string Journal();

// The lines of requests named NAME ("SetMouseSpeed"), oldest first; every line when NAME is "".
std::vector<std::string> JournalLines(const std::string& name = "");

// What each request named NAME carried, oldest first: the journal line after the name
// ("SoundMode=3 SoundTone=1000 SoundDuration=20").
std::vector<std::string> Sent(const std::string& name);

// A line's name and fields: "2024-… 0xF2040 SetCalibrationState State=5" gives
// {"SetCalibrationState", "State=5"}.
std::pair<std::string, std::string> NameAndFields(const std::string& line);

// One of the controller's reports as the journal has it.
struct JournalReport {
  long long ms = 0;  // its time of day, in milliseconds
  int x = 0, y = 0, touch = 0, counter = 0, pointerX = 0, pointerY = 0;
};
// The report lines, oldest first; with WITHOUT_REPEATS, a report at the place and touch of the one
// before it is left out (the service repeats a resting touch at the controller's rate).
std::vector<JournalReport> JournalReports(bool withoutRepeats = false);

}  // namespace qx::test
