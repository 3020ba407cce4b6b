// The mouse pointer over the program's windows: the hourglass while a piece of work runs, the
// screen pointer the installer's routines set by code, and the pointer hidden through
// ShowCursor's display count (host/cursor.h).
#pragma once

#include <cstdint>

namespace qx {

// The hourglass for the life of the object: every button's work runs inside one. Nested ones
// keep it until the outermost ends.
class Hourglass {
 public:
  Hourglass();
  ~Hourglass();
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
};

// Screen pointer codes: the default pointer, the hourglass; the codes between name the other
// standard shapes (1 arrow, 2 cross, 3 I-beam, 5 and 15 size all, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E,
// 10 up arrow, 12 no drop, 13 arrow and hourglass, 14 arrow and question mark).
inline constexpr int kDefaultPointer = 0;
inline constexpr int kHourglassPointer = 11;

// A process-wide count of busy users: kHourglassPointer counts one more, kDefaultPointer one fewer
// (never below 0), and the screen pointer is then the hourglass while any remain, else the
// default. Any other CODE sets the screen pointer to that shape and leaves the count alone.
void BusyPointer(int code);
// The screen pointer's code and the busy count, as BusyPointer left them.
int ScreenPointer();
std::uint16_t BusyCount();

// ShowCursor(FALSE) until the display count is negative / ShowCursor(TRUE) until it is zero or more.
void HideCursor();
void RestoreCursor();

// Makes the display count visible on the program's windows (a blank pointer while it is negative).
void InstallPointerHook();

}  // namespace qx
