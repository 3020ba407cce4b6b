#include "broker/touchscreen_gate.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>

#include "host/printable_text.h"
#include "host/touchscreen_kind.h"

namespace qx {

namespace {

constexpr char kFolder[] = "/dev/input/event";
constexpr unsigned kInputMajor = 13;

// "/dev/input/event" and one to four digits.
bool EventPath(const std::string& path) {
  const std::size_t prefix = sizeof kFolder - 1;
  if (path.compare(0, prefix, kFolder) != 0 || path.size() == prefix || path.size() > prefix + 4) return false;
  return path.find_first_not_of("0123456789", prefix) == std::string::npos;
}

// udev's device for the node of DEVNUM, when it is the event device NAME of the input subsystem.
UdevPtr<udev_device> UdevDevice(udev* u, dev_t devnum, const std::string& name) {
  UdevPtr<udev_device> dev(u ? udev_device_new_from_devnum(u, 'c', devnum) : nullptr);
  const char* subsystem = dev ? udev_device_get_subsystem(dev.get()) : nullptr;
  const char* sysname = dev ? udev_device_get_sysname(dev.get()) : nullptr;
  if (!subsystem || !sysname || std::strcmp(subsystem, "input") != 0 || name != sysname) return nullptr;
  return dev;
}

// The device PATH on FD asked itself, for a device udev has no properties for: "" when it is a
// touchscreen, else why not.
std::string Asked(int fd, const std::string& path) {
  libevdev* dev = nullptr;
  if (libevdev_new_from_fd(fd, &dev) < 0) return path + " is not an input event device";
  std::string no = NotTouchscreen(dev);
  libevdev_free(dev);
  return no.empty() ? "" : path + " is not a touchscreen: " + no;
}

// The descriptor FD is the node PATH names now, and an event device.
bool SameNode(int fd, const std::string& path) {
  struct stat opened {
  }, named{};
  int version = 0;
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && S_ISCHR(opened.st_mode) &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino && ::ioctl(fd, EVIOCGVERSION, &version) == 0;
}

// PATH as a refusal quotes it: its control characters escaped, so that it writes no line of its
// own into the log, and short enough that the answer fits a message.
std::string Quoted(const std::string& path) {
  return path.size() <= 64 ? Printable(path) : Printable(path.substr(0, 64)) + "...";
}

// The checks of PATH before it is opened: "" when it names an input device node, ST its lstat;
// NEVER when it never will.
std::string NodeRefusal(const std::string& path, struct stat& st, bool& never) {
  never = true;
  if (!EventPath(path)) return "only /dev/input/eventN is opened, not '" + Quoted(path) + "'";
  if (::lstat(path.c_str(), &st) != 0) {
    never = false;  // a device not plugged in yet
    return path + ": " + std::strerror(errno);
  }
  if (!S_ISCHR(st.st_mode) || major(st.st_rdev) != kInputMajor) return path + " is not an input device node";
  return "";
}

}  // namespace

GateAnswer CheckTouchscreen(const std::string& path) {
  GateAnswer answer;
  struct stat st {};
  answer.why = NodeRefusal(path, st, answer.never);
  if (!answer.why.empty()) return answer;
  UdevPtr<udev> u(udev_new());
  UdevPtr<udev_device> dev = UdevDevice(u.get(), st.st_rdev, path.substr(path.rfind('/') + 1));
  answer.word = dev ? UdevCalls(dev.get()) : UdevWord::kNone;
  answer.never = answer.word == UdevWord::kOther;
  if (answer.never) answer.why = path + " is not a touchscreen (udev calls it something else)";
  const char* seat = dev ? udev_device_get_property_value(dev.get(), "ID_SEAT") : nullptr;
  answer.seat = seat && *seat ? seat : "seat0";
  return answer;
}

void OpenTouchscreen(const std::string& path, GateAnswer& answer) {
  answer.fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!answer.fd) answer.why = path + ": " + std::strerror(errno);
  else if (!SameNode(answer.fd.get(), path)) answer.why = path + " changed while it was opened";
  else if (answer.word != UdevWord::kTouchscreen) answer.why = Asked(answer.fd.get(), path);
  answer.never = answer.word != UdevWord::kTouchscreen && answer.fd && !answer.why.empty();
  if (!answer.why.empty()) answer.fd.reset();
}

}  // namespace qx
