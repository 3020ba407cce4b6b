#include "device/display_opener.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <condition_variable>
#include <cstring>
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

// The slave pointer through which this connection's XTest motions come: the XTest device of its
// client pointer (the first master pointer when none was set).
int XTestPointer(Display* d) {
  int master = 0;
  XIGetClientPointer(d, None, &master);
  int count = 0;
  XIDeviceInfo* devices = XIQueryDevice(d, XIAllDevices, &count);
  if (!devices) return -1;
  for (int i = 0; i < count && master <= 0; ++i)
    if (devices[i].use == XIMasterPointer) master = devices[i].deviceid;
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i)
    if (devices[i].use == XISlavePointer && devices[i].attachment == master && std::strstr(devices[i].name, "XTEST"))
      found = devices[i].deviceid;
  XIFreeDeviceInfo(devices);
  return found;
}

// Whether the server can hide the cursor (XFixes 4) and say which device moved the pointer
// (XInput 2's raw events): the versions are asked, which later requests need the server to know.
void ReadyCursorHiding(Display* d, OpenedDisplay& o) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XFixesQueryExtension(d, &event, &error) || !XFixesQueryVersion(d, &major, &minor) || major < 4) return;
  if (!XQueryExtension(d, "XInputExtension", &o.inputOpcode, &event, &error)) return;
  major = 2;
  minor = 2;
  if (XIQueryVersion(d, &major, &minor) != Success) return;
  o.xtestPointer = XTestPointer(d);
  o.canHide = o.xtestPointer >= 0;
}

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
  ReadyCursorHiding(d, o);
  XSync(d, False);
  o.display = d;
  o.width = DisplayWidth(d, DefaultScreen(d));
  o.height = DisplayHeight(d, DefaultScreen(d));
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
