#include "device/x11_pointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <cmath>
#include <cstdio>

namespace qx {

namespace {

// Xlib ends the process on a protocol error or a lost connection unless told otherwise: a bad
// bell value is dropped, and a lost server is this output's business (see OnLost).
int IgnoreError(Display*, XErrorEvent*) { return 0; }
int IgnoreIoError(Display*) { return 0; }

void OnLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

}  // namespace

X11Pointer::X11Pointer(std::string displayName, const SettingsBlock& screen, const ScreenPlacement& placement,
                       Journal& journal)
    : name_(std::move(displayName)),
      screen_(screen),
      placement_(placement),
      journal_(journal),
      why_("not opened yet") {}

X11Pointer::~X11Pointer() {
  if (!display_) return;
  // Buttons this output holds would stay down on the desktop after it.
  for (PointerButton b : {PointerButton::kLeft, PointerButton::kRight})
    if (held_[static_cast<int>(b)]) Send(PointerAction::Release(b));
  Disconnect();
}

bool X11Pointer::Connect(Time now) {
  XSetErrorHandler(IgnoreError);
  XSetIOErrorHandler(IgnoreIoError);
  due_ = now + kRetry;
  Display* d = XOpenDisplay(name_.c_str());
  if (!d) {
    why_ = "cannot open " + name_;
    return false;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
    XCloseDisplay(d);
    why_ = name_ + " has no XTest";
    return false;
  }
  lost_ = false;
  XSetIOErrorExitHandler(d, OnLost, &lost_);
  display_ = d;
  width_ = DisplayWidth(d, DefaultScreen(d));
  height_ = DisplayHeight(d, DefaultScreen(d));
  held_[0] = held_[1] = false;
  due_ = now + kCheck;
  return true;
}

void X11Pointer::Disconnect() {
  XCloseDisplay(display_);
  display_ = nullptr;
}

void X11Pointer::Lose(Time now) {
  Disconnect();
  why_ = name_ + " went away";
  due_ = now + kRetry;
  journal_.Add(0, "DisplayLost", "Display=" + name_);
  std::fprintf(stderr, "qxwmecomd: pointer output: %s\n", Describe().c_str());
}

short X11Pointer::Ready(short events) const {
  pollfd p{ConnectionNumber(display_), events, 0};
  return ::poll(&p, 1, 0) == 1 ? p.revents : 0;
}

void X11Pointer::Perform(const PointerAction& action) {
  if (!display_) return;
  // A server that cannot take more now (stopped, or stuck) loses the action rather than the
  // service its time; one that went away is looked for again from Wake.
  const short ready = Ready(POLLIN | POLLOUT);
  if (ready & POLLOUT) {
    Send(action);
    XFlush(display_);
  }
  if (ready & (POLLIN | POLLHUP | POLLERR)) ReadIncoming();
  if (lost_) Lose(std::chrono::steady_clock::now());
}

void X11Pointer::Send(const PointerAction& action) {
  const int button = action.button == PointerButton::kLeft ? Button1 : Button3;
  switch (action.kind) {
    case PointerAction::Kind::kMove: {
      const ScreenRect on = placement_.known ? placement_.monitor : ScreenRect{0, 0, width_, height_};
      XTestFakeMotionEvent(display_, DefaultScreen(display_),
                           on.x + ScalePixel(action.x, screen_.ScreenWidth, on.width),
                           on.y + ScalePixel(action.y, screen_.ScreenHeight, on.height), CurrentTime);
      break;
    }
    case PointerAction::Kind::kPress:
    case PointerAction::Kind::kRelease: {
      const bool press = action.kind == PointerAction::Kind::kPress;
      XTestFakeButtonEvent(display_, button, press, CurrentTime);
      held_[static_cast<int>(action.button)] = press;
      break;
    }
    case PointerAction::Kind::kBell: {
      XKeyboardControl bell{};
      bell.bell_pitch = action.tone;
      bell.bell_duration = action.duration;
      XChangeKeyboardControl(display_, KBBellPitch | KBBellDuration, &bell);
      XBell(display_, 0);
      break;
    }
  }
}

void X11Pointer::ReadIncoming() {
  while (!lost_ && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
  }
}

std::string X11Pointer::Describe() const {
  if (display_) return "x11 on " + name_;
  return "none (x11: " + why_ + "; trying again every " + std::to_string(kRetry.count()) + " s)";
}

std::optional<PointerOutput::Time> X11Pointer::NextDue() const { return due_; }

void X11Pointer::Wake(Time now) {
  if (now < due_) return;
  if (display_) {
    due_ = now + kCheck;
    if (Ready(POLLIN)) ReadIncoming();
    if (lost_) Lose(now);
  } else if (Connect(now)) {
    journal_.Add(0, "DisplayBack", "Display=" + name_);
    std::fprintf(stderr, "qxwmecomd: pointer output: %s\n", Describe().c_str());
  }
}

}  // namespace qx
