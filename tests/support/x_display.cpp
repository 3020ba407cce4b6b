#include "tests/support/x_display.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "tests/support/process.h"

namespace qx::test {

VirtualDisplay::VirtualDisplay(int width, int height)
    : size_(std::to_string(width) + "x" + std::to_string(height) + "x24") {
  std::string folder = (std::filesystem::temp_directory_path() / "qxscreen-XXXXXX").string();
  if (!mkdtemp(folder.data())) throw std::runtime_error("mkdtemp");
  pixels_ = folder;
  // A number far from the first free ones other servers take, chosen at random: a test that stops
  // its server and starts it again on the same number is not raced for it by one starting beside.
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 20 && name_.empty(); ++attempt)
    Launch(":" + std::to_string(std::uniform_int_distribution<int>(200, 999)(random)), false);
  if (name_.empty()) Launch("");
}

VirtualDisplay::~VirtualDisplay() {
  Stop();
  if (!reserved_.empty()) std::remove(reserved_.c_str());
  std::error_code ec;
  std::filesystem::remove_all(pixels_, ec);
}

void VirtualDisplay::Start() { Launch(name_); }

// Starts Xvfb on DISPLAY, or on the first free display when it is empty; returns once it answers.
// False when it could not start there (the number taken) and ANY_FAILURE_THROWS is false.
bool VirtualDisplay::Launch(const std::string& display, bool anyFailureThrows) {
  if (!reserved_.empty()) std::remove(reserved_.c_str());
  reserved_.clear();
  int ready[2];
  if (pipe(ready) != 0) throw std::runtime_error("pipe");
  // -noreset: the monitors set stay when the last client leaves.
  std::vector<std::string> args = {
      "Xvfb",   "-displayfd", std::to_string(ready[1]), "-screen", "0", size_, "-nolisten", "tcp", "-noreset", "-br",
      "-fbdir", pixels_};
  if (!display.empty()) args.insert(args.begin() + 1, display);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(ready[1]);
  // Xvfb writes the display number and a line end to the descriptor once it accepts clients (it
  // ends when it cannot write them whole).
  std::string number;
  char c = 0;
  while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  if (c != '\n') {
    KillAndWait(pid_, SIGTERM);
    pid_ = -1;
    if (anyFailureThrows) throw std::runtime_error("Xvfb did not start");
    return false;
  }
  name_ = ":" + number;
  return true;
}

bool VirtualDisplay::SetMonitor(const std::string& name, int width, int height, int x, int y) const {
  const std::string display = "DISPLAY=" + name_;
  Run({"/usr/bin/xrandr", "--delmonitor", name}, {display});  // made anew: it may not be there
  // The physical size (mm) is the pixels' at 96 dots an inch.
  const std::string geometry = std::to_string(width) + "/" + std::to_string(width * 254 / 960) + "x" +
                               std::to_string(height) + "/" + std::to_string(height * 254 / 960) + "+" +
                               std::to_string(x) + "+" + std::to_string(y);
  return Run({"/usr/bin/xrandr", "--setmonitor", name, geometry, "none"}, {display}).exitCode == 0;
}

namespace {

std::uint32_t BigEndian(const unsigned char* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

bool VirtualDisplay::CursorDrawnAt(int x, int y) const {
  // Xvfb's screen file: an XWD header (big-endian numbers: its size, …, bytes a line at 12, colours
  // at 19), the colours (12 bytes each), then 32-bit pixels, black but for what is drawn.
  std::ifstream in(pixels_ + "/Xvfb_screen0", std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  if (file.size() < 100) return false;
  const std::size_t line = BigEndian(bytes + 48), start = BigEndian(bytes) + 12 * BigEndian(bytes + 76);
  for (int row = std::max(0, y - 16); row < y + 16; ++row)
    for (int column = std::max(0, x - 16); column < x + 16; ++column) {
      const std::size_t at = start + row * line + column * 4;
      if (at + 3 < file.size() && (bytes[at] | bytes[at + 1] | bytes[at + 2])) return true;
    }
  return false;
}

// The display's number stays this display's while its server is away: a lock file of X's own
// form naming this process, which every X server starting meanwhile takes as a display in use.
void VirtualDisplay::Stop() {
  if (pid_ <= 0) return;
  KillAndWait(pid_, SIGTERM);
  pid_ = -1;
  const std::string lock = "/tmp/.X" + name_.substr(1) + "-lock";
  if (FILE* f = std::fopen(lock.c_str(), "wx")) {
    std::fprintf(f, "%10d\n", static_cast<int>(getpid()));
    std::fclose(f);
    reserved_ = lock;
  }
}

namespace {

int IgnoreIoError(Display*) { return 0; }
void OnLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

}  // namespace

XEventRecorder::XEventRecorder(const std::string& name) {
  XSetIOErrorHandler(IgnoreIoError);
  display_ = XOpenDisplay(name.c_str());
  if (!display_) throw std::runtime_error("cannot open " + name);
  XSetIOErrorExitHandler(display_, OnLost, &lost_);
  const int screen = DefaultScreen(display_);
  XSetWindowAttributes a{};
  a.override_redirect = True;
  a.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  a.cursor = XCreateFontCursor(display_, XC_left_ptr);
  Window w = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, DisplayWidth(display_, screen),
                           DisplayHeight(display_, screen), 0, CopyFromParent, InputOnly, CopyFromParent,
                           CWOverrideRedirect | CWEventMask | CWCursor, &a);
  XMapWindow(display_, w);
  int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (XkbQueryExtension(display_, &opcode, &xkbEvent_, &error, &major, &minor))
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(display_, False);
  reader_ = std::thread([this] { Read(); });
}

XEventRecorder::~XEventRecorder() {
  stop_ = true;
  reader_.join();
  XCloseDisplay(display_);
}

void XEventRecorder::Read() {
  while (!stop_ && !lost_) {
    pollfd p{ConnectionNumber(display_), POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    while (!lost_ && XPending(display_) > 0) {
      XEvent e;
      XNextEvent(display_, &e);
      const auto at = std::chrono::steady_clock::now();
      XPointerEvent r{XPointerEvent::kMotion, 0, 0, 0, at};
      if (e.type == MotionNotify) {
        r.x = e.xmotion.x_root;
        r.y = e.xmotion.y_root;
      } else if (e.type == ButtonPress || e.type == ButtonRelease) {
        r.type = e.type == ButtonPress ? XPointerEvent::kPress : XPointerEvent::kRelease;
        r.button = e.xbutton.button;
        r.x = e.xbutton.x_root;
        r.y = e.xbutton.y_root;
      } else if (e.type == xkbEvent_ && reinterpret_cast<XkbAnyEvent*>(&e)->xkb_type == XkbBellNotify) {
        const auto& bell = *reinterpret_cast<XkbBellNotifyEvent*>(&e);
        std::lock_guard<std::mutex> lock(mutex_);
        bells_.emplace_back(bell.pitch, bell.duration);
        arrived_.notify_all();
        continue;
      } else {
        continue;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(r);
      arrived_.notify_all();
    }
  }
}

std::vector<std::pair<int, int>> XEventRecorder::WaitForBells(std::size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return bells_.size() >= count; });
  return bells_;
}

std::vector<XPointerEvent> XEventRecorder::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

void XEventRecorder::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

std::vector<XPointerEvent> XEventRecorder::WaitForEvents(std::size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return events_.size() >= count; });
  return events_;
}

void MovePointer(const std::string& name, int x, int y) {
  Display* d = XOpenDisplay(name.c_str());
  if (!d) return;
  XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, x, y);
  XSync(d, False);
  XCloseDisplay(d);
}

OtherPointer::OtherPointer(const std::string& name) {
  display_ = XOpenDisplay(name.c_str());
  if (!display_) throw std::runtime_error("cannot open " + name);
  int major = 2, minor = 2;
  XIQueryVersion(display_, &major, &minor);
  XIAddMasterInfo add{XIAddMaster, const_cast<char*>("qx test mouse"), True, True};
  XIChangeHierarchy(display_, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
  int count = 0;
  XIDeviceInfo* devices = XIQueryDevice(display_, XIAllMasterDevices, &count);
  for (int i = 0; i < count; ++i)
    if (std::string(devices[i].name) == "qx test mouse pointer")
      XISetClientPointer(display_, None, devices[i].deviceid);
  XIFreeDeviceInfo(devices);
}

OtherPointer::~OtherPointer() { XCloseDisplay(display_); }

void OtherPointer::MoveTo(int x, int y) {
  // This client's XTest input goes through its client pointer's own XTest device.
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XSync(display_, False);
}

std::optional<XWindowPlace> ShownWindowPlace(const std::string& display, const std::string& title) {
  const std::string info = Run({"/usr/bin/xwininfo", "-name", title}, {"DISPLAY=" + display}).out;
  if (info.find("IsViewable") == std::string::npos) return std::nullopt;
  const auto value = [&](const std::string& label) {
    const std::size_t at = info.find(label);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + label.size());
  };
  return XWindowPlace{value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"),
                      value("Height:")};
}

std::pair<int, int> BellOf(const std::string& name) {
  Display* d = XOpenDisplay(name.c_str());
  if (!d) return {-1, -1};
  XKeyboardState state{};
  XGetKeyboardControl(d, &state);
  XCloseDisplay(d);
  return {state.bell_pitch, state.bell_duration};
}

}  // namespace qx::test
