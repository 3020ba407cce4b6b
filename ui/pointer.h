// The mouse pointer over the program's windows: the hourglass while a piece of work runs, and the
// pointer hidden through ShowCursor's display count (host/cursor.h).
#pragma once

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

// ShowCursor(FALSE) until the display count is negative / ShowCursor(TRUE) until it is zero or more.
void HideCursor();
void RestoreCursor();

// Makes the display count visible on the program's windows (a blank pointer while it is negative).
void InstallPointerHook();

}  // namespace qx
