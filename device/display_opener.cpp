#include "device/display_opener.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qx {

struct DisplayOpener::Attempt {
  mutable std::mutex mutex;
  mutable std::condition_variable ended;
  bool done = false;
  OpenedDisplay opened;
  std::string why;
};

namespace {

// Opens NAME and readies the connection; nothing with WHY when it cannot be had.
OpenedDisplay Open(const std::string& name, std::string& why) {
  OpenedDisplay o;
  Display* d = XOpenDisplay(name.c_str());
  if (!d) {
    why = "cannot open " + name;
    return o;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
    XCloseDisplay(d);
    why = name + " has no XTest";
    return o;
  }
  // Buttons left down by an output that went without letting go (a service killed mid-touch).
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask = 0;
  XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask);
  if (mask & Button1Mask) XTestFakeButtonEvent(d, Button1, False, CurrentTime);
  if (mask & Button3Mask) XTestFakeButtonEvent(d, Button3, False, CurrentTime);
  XKeyboardState keyboard{};
  XGetKeyboardControl(d, &keyboard);
  XSync(d, False);
  o.display = d;
  o.width = DisplayWidth(d, DefaultScreen(d));
  o.height = DisplayHeight(d, DefaultScreen(d));
  o.bellPitch = static_cast<int>(keyboard.bell_pitch);
  o.bellDuration = static_cast<int>(keyboard.bell_duration);
  return o;
}

}  // namespace

DisplayOpener::DisplayOpener() {
  // Connections are opened on other threads than the one that uses them.
  XInitThreads();
}

DisplayOpener::~DisplayOpener() {
  // An attempt still under way ends on its own; a connection it made then is closed by it.
  if (!attempt_) return;
  std::lock_guard<std::mutex> lock(attempt_->mutex);
  if (attempt_->done && attempt_->opened.display) XCloseDisplay(attempt_->opened.display);
  attempt_->opened.display = nullptr;
  attempt_->done = true;
}

void DisplayOpener::Start(const std::string& name, Time now) {
  if (Running()) return;
  auto attempt = std::make_shared<Attempt>();
  attempt_ = attempt;
  started_ = now;
  std::thread([attempt, name] {
    std::string why;
    OpenedDisplay opened = Open(name, why);
    std::lock_guard<std::mutex> lock(attempt->mutex);
    if (attempt->done && opened.display) XCloseDisplay(opened.display);  // given up meanwhile
    if (attempt->done) return;
    attempt->opened = opened;
    attempt->why = why;
    attempt->done = true;
    attempt->ended.notify_all();
  }).detach();
}

bool DisplayOpener::Running() const {
  if (!attempt_) return false;
  std::lock_guard<std::mutex> lock(attempt_->mutex);
  return !attempt_->done;
}

void DisplayOpener::Wait(std::chrono::milliseconds wait) const {
  if (!attempt_) return;
  std::unique_lock<std::mutex> lock(attempt_->mutex);
  attempt_->ended.wait_for(lock, wait, [this] { return attempt_->done; });
}

bool DisplayOpener::Overdue(Time now) const { return Running() && now - started_ > kLimit; }

bool DisplayOpener::Take(OpenedDisplay& opened, std::string& why) {
  why.clear();
  if (!attempt_ || Running()) return false;
  opened = attempt_->opened;
  why = attempt_->why;
  attempt_.reset();
  return opened.display != nullptr;
}

}  // namespace qx
