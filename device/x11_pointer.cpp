#include "device/x11_pointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>

#include <cstdio>

#include "host/desktop.h"

namespace qx {

namespace {

using std::chrono::milliseconds;

// While the display is being opened, or the server cannot take what is wanted, the output is
// looked at this often.
constexpr milliseconds kSoon{50};

// Xlib ends the process on a protocol error or a lost connection unless told otherwise: a bad
// bell value is dropped, and a lost server is this output's business (see OnLost).
int IgnoreError(Display*, XErrorEvent*) { return 0; }
int IgnoreIoError(Display*) { return 0; }

void OnLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

unsigned ButtonOf(int index) { return index == 0 ? Button1 : Button3; }

// Raw motion and presses of every device on the root window: what tells another pointing device
// moved (or none, WATCH false).
void WatchDevices(Display* d, bool watch) {
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  if (watch) {
    XISetMask(bits, XI_RawMotion);
    XISetMask(bits, XI_RawButtonPress);
  }
  XIEventMask mask{XIAllDevices, sizeof bits, bits};
  XISelectEvents(d, DefaultRootWindow(d), &mask, 1);
}

}  // namespace

X11Pointer::X11Pointer(std::string displayName, const SettingsBlock& screen, const ScreenPlacement& placement,
                       Journal& journal)
    : name_(std::move(displayName)),
      onWayland_(WaylandSession()),
      screen_(screen),
      placement_(placement),
      journal_(journal),
      why_("not opened yet") {
  XSetErrorHandler(IgnoreError);
  XSetIOErrorHandler(IgnoreIoError);
}

X11Pointer::~X11Pointer() {
  if (!display_) return;
  // Buttons this output holds would stay down on the desktop after it.
  for (int b = 0; b < 2; ++b)
    if (sentHeld_[b]) Press(b, false);
  Disconnect();
}

bool X11Pointer::Connect(milliseconds wait, Time now) {
  opener_.Start(name_, now);
  opener_.Wait(wait);
  TakeOpened(now);
  if (!display_ && opener_.Running()) why_ = name_ + " does not answer yet";
  return display_ != nullptr;
}

void X11Pointer::TakeOpened(Time now) {
  std::string why;
  if (opener_.Take(opened_, why)) {
    display_ = opened_.display;
    lost_ = false;
    saidSlow_ = false;
    XSetIOErrorExitHandler(display_, OnLost, &lost_);
    sentHeld_[0] = sentHeld_[1] = false;  // the opener let go of them
    hidden_ = wanted_.hidden = false;     // a new connection hides nothing
    due_ = now + kCheck;
    // A touch under way goes on there: the pointer under the finger, its button down. Otherwise the
    // pointer stays where the server has it, and the next touch puts it under the finger.
    synced_ = !(wanted_.held[0] || wanted_.held[1]);
    if (!synced_) Resync();
  } else if (!why.empty()) {
    why_ = why;
    due_ = now + kRetry;
  }
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

void X11Pointer::Want(const PointerAction& action) {
  switch (action.kind) {
    case PointerAction::Kind::kMove: wanted_.at = Place(action.x, action.y); break;
    case PointerAction::Kind::kPress: wanted_.held[static_cast<int>(action.button)] = true; break;
    case PointerAction::Kind::kRelease: wanted_.held[static_cast<int>(action.button)] = false; break;
    case PointerAction::Kind::kBell: break;
  }
}

void X11Pointer::Perform(const PointerAction& action) {
  Want(action);
  if (hideCursor_ && action.kind != PointerAction::Kind::kBell) wanted_.hidden = true;
  if (!display_) return;
  // A server that cannot take more now (stopped, or stuck) gets nothing meanwhile, rather than
  // the service losing its time; it is brought to what is wanted once it can (Wake).
  const short ready = Ready(POLLIN | POLLOUT);
  if (ready & POLLOUT) {
    if (synced_) Send(action);
    else Resync();
    SyncCursor();
    XFlush(display_);
  } else {
    synced_ = false;
  }
  if (ready & (POLLIN | POLLHUP | POLLERR)) ReadIncoming();
  if (lost_) Lose(std::chrono::steady_clock::now());
}

std::pair<int, int> X11Pointer::Place(int x, int y) const {
  const ScreenRect on = placement_.known ? placement_.monitor : ScreenRect{0, 0, opened_.width, opened_.height};
  return {on.x + ScalePixel(x, screen_.ScreenWidth, on.width), on.y + ScalePixel(y, screen_.ScreenHeight, on.height)};
}

void X11Pointer::Send(const PointerAction& action) {
  switch (action.kind) {
    case PointerAction::Kind::kMove:
      XTestFakeMotionEvent(display_, DefaultScreen(display_), wanted_.at->first, wanted_.at->second, CurrentTime);
      break;
    case PointerAction::Kind::kPress:
    case PointerAction::Kind::kRelease:
      Press(static_cast<int>(action.button), action.kind == PointerAction::Kind::kPress);
      break;
    case PointerAction::Kind::kBell: Bell(action.tone, action.duration); break;
  }
}

void X11Pointer::Resync() {
  if (wanted_.at)
    XTestFakeMotionEvent(display_, DefaultScreen(display_), wanted_.at->first, wanted_.at->second, CurrentTime);
  for (int b = 0; b < 2; ++b)
    if (sentHeld_[b] != wanted_.held[b]) Press(b, wanted_.held[b]);
  synced_ = true;
}

void X11Pointer::Press(int index, bool down) {
  XTestFakeButtonEvent(display_, ButtonOf(index), down, CurrentTime);
  sentHeld_[index] = down;
}

// The bell rings with the tone and length asked for, and the server's own are put back at once:
// they are every client's, and the person may have changed them since the service connected, so
// they are read just before.
void X11Pointer::Bell(int pitch, int duration) {
  XKeyboardState own{};
  XGetKeyboardControl(display_, &own);
  XKeyboardControl bell{};
  bell.bell_pitch = pitch;
  bell.bell_duration = duration;
  XChangeKeyboardControl(display_, KBBellPitch | KBBellDuration, &bell);
  XBell(display_, 0);
  bell.bell_pitch = static_cast<int>(own.bell_pitch);
  bell.bell_duration = static_cast<int>(own.bell_duration);
  XChangeKeyboardControl(display_, KBBellPitch | KBBellDuration, &bell);
}

void X11Pointer::HideCursor(bool hide) {
  hideCursor_ = hide;
  if (!hide) wanted_.hidden = false;
}

void X11Pointer::SyncCursor() {
  if (CursorSynced()) return;
  // Watching first, so that no motion between the two goes unseen.
  if (wanted_.hidden) {
    WatchDevices(display_, true);
    XFixesHideCursor(display_, DefaultRootWindow(display_));
  } else {
    XFixesShowCursor(display_, DefaultRootWindow(display_));
    WatchDevices(display_, false);
  }
  hidden_ = wanted_.hidden;
}

bool X11Pointer::OtherDeviceMoved(XEvent& event) {
  XGenericEventCookie& cookie = event.xcookie;
  if (cookie.type != GenericEvent || cookie.extension != opened_.inputOpcode || !XGetEventData(display_, &cookie))
    return false;
  const bool other = static_cast<XIRawEvent*>(cookie.data)->sourceid != opened_.xtestPointer;
  XFreeEventData(display_, &cookie);
  return other;
}

void X11Pointer::ReadIncoming() {
  while (!lost_ && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (hidden_ && OtherDeviceMoved(event)) wanted_.hidden = false;
  }
}

int X11Pointer::Descriptor() const { return display_ && hidden_ ? ConnectionNumber(display_) : -1; }

std::string X11Pointer::Describe() const {
  std::string said = "none (x11: " + why_ + "; trying again every " + std::to_string(kRetry.count()) + " s)";
  if (display_) said = "x11 on " + name_;
  if (display_ && hideCursor_)
    said += opened_.canHide ? ", the cursor hidden during touches" : ", cannot hide the cursor (no XFixes 4 or XInput 2)";
  return onWayland_ ? said + " (x11 on a Wayland session: X11 windows only)" : said;
}

std::optional<PointerOutput::Time> X11Pointer::NextDue() const {
  if (opener_.Running() || (display_ && (!synced_ || !CursorSynced() || (hidden_ && XQLength(display_) > 0))))
    return std::chrono::steady_clock::now() + kSoon;
  return due_;
}

void X11Pointer::Wake(Time now) {
  if (!display_) return WakeUnconnected(now);
  if (!synced_ && (Ready(POLLOUT) & POLLOUT)) {
    Resync();
    XFlush(display_);
  }
  // While the cursor is hidden the loop waits on the connection too: what came is looked at now,
  // and what Xlib took in meanwhile (writing, it reads what the server sends).
  if (hidden_ && (XQLength(display_) > 0 || (Ready(POLLIN) & POLLIN))) ReadIncoming();
  if (lost_) return Lose(now);
  if (!CursorSynced() && (Ready(POLLOUT) & POLLOUT)) {
    SyncCursor();
    XFlush(display_);
  }
  if (now < due_) return;
  due_ = now + kCheck;
  if (Ready(POLLIN)) ReadIncoming();
  if (lost_) Lose(now);
}

void X11Pointer::WakeUnconnected(Time now) {
  TakeOpened(now);
  if (display_) {
    journal_.Add(0, "DisplayBack", "Display=" + name_);
    std::fprintf(stderr, "qxwmecomd: pointer output: %s\n", Describe().c_str());
    return;
  }
  if (opener_.Overdue(now) && !saidSlow_) {
    saidSlow_ = true;
    why_ = name_ + " does not answer";
    std::fprintf(stderr, "qxwmecomd: pointer output: %s\n", Describe().c_str());
  }
  if (!opener_.Running() && now >= due_) opener_.Start(name_, now);
}

}  // namespace qx
