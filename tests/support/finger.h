// The simulated controller's finger, driven through the device service's own requests, for tests
// that touch the panel as a person would: down, held (reported at the controller's rate), lifted.
// Each call opens its own handle, so a test's driver link is left as it is. False when the
// service did not take the request.
#pragma once

#include <optional>
#include <utility>

namespace qx::test {

// Puts the finger down at raw X, Y (or moves it there), each report off by up to JITTER units.
bool PressFinger(int x, int y, int jitter = 0);
// Lifts the finger where it was last reported.
bool LiftFinger();
// The controller's reports a second while a finger is down (1..1000).
bool SetReportRate(int reportsPerSecond);
// Arms the one-shot right button as the right-button program does (SetRbfRegistration, armed 1):
// the next touch-down is a right click.
bool ArmRightButton();

// Where the last report put the simulated pointer (the service's pixels), or nothing when the
// service did not answer.
std::optional<std::pair<int, int>> PointerNow();

// A brief touch at raw X, Y (two reports, then a lift): where it put the simulated pointer, or
// nothing when the service did not take it.
std::optional<std::pair<int, int>> PointerAfterTouch(int x, int y);

}  // namespace qx::test
