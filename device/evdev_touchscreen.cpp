// The Linux touchscreen: opening and checking the node, reading it, and losing and finding it again.
#include "device/evdev_touchscreen.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qx {

namespace {

using std::chrono::milliseconds;

// How often a device that is absent is looked for, and how often the node of one that is open is
// looked at (a node removed while its descriptor stays quiet, as a mocked device's does).
constexpr milliseconds kRetry{500};
constexpr milliseconds kCheck{1000};
// Events read in one wake at most, so that a device that never stops talking cannot hold the
// loop: the rest are read on the next wake, right after the requests waiting meanwhile.
constexpr int kEventsPerWake = 4096;

AxisRange RangeOf(const libevdev* dev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  return info ? AxisRange{info->minimum, info->maximum} : AxisRange{0, 0};
}

bool HasAxis(const libevdev* dev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  return libevdev_has_event_code(dev, EV_ABS, code) && info && info->maximum > info->minimum;
}

// Why DEV is not a touchscreen the service can follow; "" when it is one. A scan takes only
// devices that say they are on the screen; a path named by the person may lack that property.
std::string NotTouchscreen(const libevdev* dev, bool scanning) {
  if (!HasAxis(dev, ABS_X) || !HasAxis(dev, ABS_Y)) return "it has no absolute X and Y axes";
  if (!libevdev_has_event_code(dev, EV_KEY, BTN_TOUCH) && !libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT))
    return "it reports no touch (BTN_TOUCH or multi-touch slots)";
  if (libevdev_has_property(dev, INPUT_PROP_POINTER)) return "it is a touchpad or tablet, not on the screen";
  if (scanning && !libevdev_has_property(dev, INPUT_PROP_DIRECT)) return "it does not say direct touch";
  return "";
}

TouchAxes AxesOf(const libevdev* dev) {
  TouchAxes axes{};
  axes.X = RangeOf(dev, ABS_X);
  axes.Y = RangeOf(dev, ABS_Y);
  const bool slots = libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT);
  axes.Slots = slots ? static_cast<std::uint16_t>(std::max(libevdev_get_num_slots(dev), 0)) : 0;
  axes.SlotX = HasAxis(dev, ABS_MT_POSITION_X) ? RangeOf(dev, ABS_MT_POSITION_X) : axes.X;
  axes.SlotY = HasAxis(dev, ABS_MT_POSITION_Y) ? RangeOf(dev, ABS_MT_POSITION_Y) : axes.Y;
  return axes;
}

// The event nodes of /dev/input in their numbers' order (event2 before event10).
std::vector<std::string> EventNodes() {
  std::vector<std::pair<long, std::string>> found;
  if (DIR* dir = ::opendir("/dev/input")) {
    while (const dirent* e = ::readdir(dir)) {
      char* end = nullptr;
      if (std::strncmp(e->d_name, "event", 5) != 0) continue;
      long n = std::strtol(e->d_name + 5, &end, 10);
      if (end != e->d_name + 5 && *end == '\0') found.emplace_back(n, std::string("/dev/input/") + e->d_name);
    }
    ::closedir(dir);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> nodes;
  for (auto& [n, node] : found) nodes.push_back(node);
  return nodes;
}

void Copy(char (&to)[128], const std::string& from) { std::snprintf(to, sizeof to, "%s", from.c_str()); }

}  // namespace

EvdevTouchscreen::EvdevTouchscreen(std::string path) : wanted_(std::move(path)) {
  if (wanted_ != "auto") node_ = wanted_;
}

EvdevTouchscreen::~EvdevTouchscreen() {
  if (dev_) libevdev_free(dev_);
  if (fd_ >= 0) ::close(fd_);
}

EvdevTouchscreen::Found EvdevTouchscreen::Open(std::string& why) {
  due_ = Clock::now() + kCheck;
  const Found found = wanted_ == "auto" ? Scan(why) : OpenNode(wanted_, false, why);
  if (found != Found::kOpen) due_ = Clock::now() + kRetry;
  return found;
}

EvdevTouchscreen::Found EvdevTouchscreen::Scan(std::string& why) {
  int unreadable = 0;
  for (const std::string& node : EventNodes()) {
    std::string skipped;
    const Found found = OpenNode(node, true, skipped);
    if (found == Found::kOpen) return found;
    if (found == Found::kAbsent) ++unreadable;
  }
  why = "no touchscreen found in /dev/input";
  if (unreadable) why += " (" + std::to_string(unreadable) + " event devices could not be read)";
  return Found::kAbsent;
}

EvdevTouchscreen::Found EvdevTouchscreen::OpenNode(const std::string& node, bool scanning, std::string& why) {
  const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = node + ": " + std::strerror(errno);
    return Found::kAbsent;
  }
  libevdev* dev = nullptr;
  if (int rc = libevdev_new_from_fd(fd, &dev); rc < 0) {
    ::close(fd);
    why = node + " is not an input event device (" + std::strerror(-rc) + ")";
    return rc == -ENODEV ? Found::kAbsent : Found::kNotTouchscreen;
  }
  if (std::string no = NotTouchscreen(dev, scanning); !no.empty()) {
    why = node + " (" + libevdev_get_name(dev) + ") is not a touchscreen: " + no;
    libevdev_free(dev);
    ::close(fd);
    return Found::kNotTouchscreen;
  }
  // Without the grab the desktop acts on every touch as well: said, but the panel still works.
  if (int rc = libevdev_grab(dev, LIBEVDEV_GRAB); rc < 0)
    std::fprintf(stderr, "qxwmecomd: %s cannot be grabbed (%s): the desktop sees its touches too\n", node.c_str(),
                 std::strerror(-rc));
  fd_ = fd;
  dev_ = dev;
  node_ = node;
  name_ = libevdev_get_name(dev);
  axes_ = AxesOf(dev);
  TakeState();
  lastWhy_.clear();
  return Found::kOpen;
}

// The decoder starts from the device's present state: a finger already down is reported with the
// next frame.
void EvdevTouchscreen::TakeState() {
  decoder_.emplace(axes_);
  const auto take = [this](unsigned type, unsigned code, int value) {
    decoder_->Seed(static_cast<std::uint16_t>(type), static_cast<std::uint16_t>(code), value);
  };
  take(EV_KEY, BTN_TOUCH, libevdev_get_event_value(dev_, EV_KEY, BTN_TOUCH));
  take(EV_ABS, ABS_X, libevdev_get_event_value(dev_, EV_ABS, ABS_X));
  take(EV_ABS, ABS_Y, libevdev_get_event_value(dev_, EV_ABS, ABS_Y));
  for (unsigned slot = 0; slot < axes_.Slots; ++slot) {
    take(EV_ABS, ABS_MT_SLOT, static_cast<int>(slot));
    for (unsigned code : {ABS_MT_TRACKING_ID, ABS_MT_POSITION_X, ABS_MT_POSITION_Y})
      take(EV_ABS, code, libevdev_get_slot_value(dev_, slot, code));
  }
  if (axes_.Slots) take(EV_ABS, ABS_MT_SLOT, libevdev_get_current_slot(dev_));
}

void EvdevTouchscreen::Wake(Time now, bool readable, TouchPath& path) {
  if (dev_ && readable && !ReadEvents(path)) return;
  if (now < due_) return;
  if (dev_) {
    // A node removed while its descriptor stays quiet: the device is gone all the same.
    struct stat st {};
    if (::stat(node_.c_str(), &st) != 0) return Close(path, std::strerror(errno));
    due_ = now + kCheck;
    return;
  }
  std::string why;
  if (Open(why) == Found::kOpen) {
    std::fprintf(stderr, "qxwmecomd: touchscreen %s is back\n", Describe().c_str());
  } else if (why != lastWhy_) {
    std::fprintf(stderr, "qxwmecomd: %s; the controller reads as absent\n", why.c_str());
    lastWhy_ = why;
  }
}

bool EvdevTouchscreen::ReadEvents(TouchPath& path) {
  unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
  int read = 0;
  for (; read < kEventsPerWake; ++read) {
    input_event ev{};
    const int rc = libevdev_next_event(dev_, flags, &ev);
    if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
      flags = LIBEVDEV_READ_FLAG_NORMAL;  // the device is brought up to date: on as usual
      continue;
    }
    if (rc == -EAGAIN) break;
    if (rc < 0) {
      Close(path, std::strerror(-rc));
      return false;
    }
    // SYN_DROPPED: libevdev hands out the events that bring its state up to date, ended by a
    // SYN_REPORT; they go to the decoder in place of the ones the kernel dropped.
    if (rc == LIBEVDEV_READ_STATUS_SYNC && flags == LIBEVDEV_READ_FLAG_NORMAL) {
      flags = LIBEVDEV_READ_FLAG_SYNC;
      continue;
    }
    decoder_->Take(ev.type, ev.code, ev.value, path);
  }
  if (read > 0) return true;
  // Readable with nothing to read: a hang-up, when the poll says so.
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
    Close(path, "the device hung up");
    return false;
  }
  return true;
}

void EvdevTouchscreen::Close(TouchPath& path, const std::string& why) {
  decoder_->End(path);
  decoder_.reset();
  libevdev_free(dev_);
  ::close(fd_);
  dev_ = nullptr;
  fd_ = -1;
  due_ = Clock::now() + kRetry;
  lastWhy_.clear();
  std::fprintf(stderr, "qxwmecomd: touchscreen %s (%s) is gone (%s); the controller reads as absent until it is back\n",
               name_.c_str(), node_.c_str(), why.c_str());
}

SimInput EvdevTouchscreen::Identity() const {
  SimInput input{};
  input.Kind = INPUT_TOUCHSCREEN;
  input.Present = dev_ ? 1 : 0;
  input.Axes = axes_;
  Copy(input.Name, name_);
  Copy(input.Path, node_.empty() ? wanted_ : node_);
  return input;
}

std::string EvdevTouchscreen::Describe() const {
  if (name_.empty()) return "touchscreen " + wanted_ + ", not found yet";
  const std::string text = name_ + " (" + node_ + "), " + AxesText(axes_);
  return dev_ ? text : text + ", absent";
}

}  // namespace qx
