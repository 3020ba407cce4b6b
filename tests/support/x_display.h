// A real X server for tests (Xvfb, on a display number it picks itself) and an X client of the
// test's own that records the pointer events the server delivers, as a person's desktop would get
// them from the device service; what the screen shows of the cursor, and a second pointing device.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;

namespace qx::test {

class VirtualDisplay {
 public:
  // Starts Xvfb with one screen of WIDTH × HEIGHT, black, its pixels kept in a file.
  explicit VirtualDisplay(int width = 1024, int height = 768);
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  const std::string& name() const { return name_; }  // ":N"
  pid_t pid() const { return pid_; }
  // The server goes away (SIGTERM, waited for); Start brings it back on the same display.
  void Stop();
  void Start();
  // A RandR monitor NAME of WIDTH × HEIGHT at (X, Y), made or made anew (xrandr --setmonitor):
  // the screen split into monitors as a desktop of several is; true when xrandr took it.
  bool SetMonitor(const std::string& name, int width, int height, int x, int y) const;
  // Whether the screen shows a cursor within 16 pixels of (X, Y): its pixels as the server draws
  // them (the software cursor is drawn into them; what XFixes reads of the cursor stays the same
  // while it is hidden). The cursor is the one an XEventRecorder's window defines.
  bool CursorDrawnAt(int x, int y) const;

 private:
  bool Launch(const std::string& display, bool anyFailureThrows = true);
  std::string size_;
  std::string pixels_;  // the folder of the screen's file
  std::string name_;
  pid_t pid_ = -1;
  std::string reserved_;  // the lock file that keeps the number while the server is away
};

// One pointer event as the client got it: its type (ButtonPress, ButtonRelease, MotionNotify),
// the button (0 for a motion), the position on the screen and when it arrived.
struct XPointerEvent {
  enum Type { kMotion, kPress, kRelease };
  Type type = kMotion;
  unsigned button = 0;
  int x = 0;
  int y = 0;
  std::chrono::steady_clock::time_point at;
};

// A window over the whole screen that takes every press, release and motion of the pointer, read
// by a thread of its own, and shows the left-pointer cursor as a desktop would (a server started
// without -retro has none of its own). A server that goes away ends the recording, not the test.
class XEventRecorder {
 public:
  explicit XEventRecorder(const std::string& display);
  ~XEventRecorder();
  XEventRecorder(const XEventRecorder&) = delete;
  XEventRecorder& operator=(const XEventRecorder&) = delete;

  // The events so far, oldest first; Clear forgets them.
  std::vector<XPointerEvent> Events() const;
  void Clear();
  // Waits up to TIMEOUT_MS until COUNT events came; the events so far.
  std::vector<XPointerEvent> WaitForEvents(std::size_t count, int timeoutMs = 3000) const;
  // The bells rung so far, each its pitch (Hz) and duration (ms) as the server rang it; waits up
  // to TIMEOUT_MS until COUNT rang.
  std::vector<std::pair<int, int>> WaitForBells(std::size_t count, int timeoutMs = 3000) const;

 private:
  void Read();
  _XDisplay* display_ = nullptr;
  bool lost_ = false;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<XPointerEvent> events_;
  std::vector<std::pair<int, int>> bells_;
  int xkbEvent_ = -1;  // the XKB extension's event code
  std::thread reader_;
};

// The bell's pitch (Hz) and duration (ms) the server of DISPLAY holds now.
std::pair<int, int> BellOf(const std::string& display);

// Where a window stands on the screen of DISPLAY: its top-left corner and size, in screen pixels.
struct XWindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
};
// The place of the window captioned TITLE on DISPLAY while it shows (xwininfo); nothing while none
// shows.
std::optional<XWindowPlace> ShownWindowPlace(const std::string& display, const std::string& title);

// The pointer of DISPLAY moved to (X, Y) by another client, as a mouse would move it.
void MovePointer(const std::string& display, int x, int y);

// A pointing device of the server besides the one the device service drives: a master pointer of
// its own (XInput 2), with its own cursor, moved through its own XTest device as a person's mouse.
class OtherPointer {
 public:
  explicit OtherPointer(const std::string& display);
  ~OtherPointer();
  OtherPointer(const OtherPointer&) = delete;
  OtherPointer& operator=(const OtherPointer&) = delete;
  void MoveTo(int x, int y);

 private:
  _XDisplay* display_ = nullptr;
};

}  // namespace qx::test
