#include "host/uinput_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qx {

namespace {

// ioctl with an int argument; 0 or the negative errno.
int Set(int fd, unsigned long request, int value) { return ::ioctl(fd, request, value) == 0 ? 0 : -errno; }

int SetAxis(int fd, int code, int size) {
  uinput_abs_setup axis{};
  axis.code = static_cast<std::uint16_t>(code);
  axis.absinfo.minimum = 0;
  axis.absinfo.maximum = size > 1 ? size - 1 : 1;
  return ::ioctl(fd, UI_ABS_SETUP, &axis) == 0 ? 0 : -errno;
}

}  // namespace

int MakeUinputPointer(UniqueFd& device, int width, int height) {
  if (width < 1 || height < 1 || width > kMaxPointerAxis || height > kMaxPointerAxis) return -EINVAL;
  device.reset(::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  if (!device) return -errno;
  const int fd = device.get();
  // The codes the device has, each step stopping at the first that fails.
  int rc = Set(fd, UI_SET_EVBIT, EV_KEY);
  if (!rc) rc = Set(fd, UI_SET_KEYBIT, BTN_LEFT);
  if (!rc) rc = Set(fd, UI_SET_KEYBIT, BTN_RIGHT);
  if (!rc) rc = Set(fd, UI_SET_EVBIT, EV_ABS);
  if (!rc) rc = Set(fd, UI_SET_ABSBIT, ABS_X);
  if (!rc) rc = Set(fd, UI_SET_ABSBIT, ABS_Y);
  if (!rc) rc = SetAxis(fd, ABS_X, width);
  if (!rc) rc = SetAxis(fd, ABS_Y, height);
  if (rc) return rc;
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  std::strncpy(setup.name, kPointerDeviceName, sizeof setup.name - 1);
  if (::ioctl(fd, UI_DEV_SETUP, &setup) != 0) return -errno;
  return ::ioctl(fd, UI_DEV_CREATE) == 0 ? 0 : -errno;
}

// As the kernel names it: /sys/devices/virtual/input/<sysname>/eventN is /dev/input/eventN.
std::string UinputNode(int fd) {
  char sysname[64] = {};
  if (::ioctl(fd, UI_GET_SYSNAME(sizeof sysname - 1), sysname) < 0) return "";
  if (std::strchr(sysname, '/') || sysname[0] == '.') return "";
  DIR* dir = ::opendir((std::string("/sys/devices/virtual/input/") + sysname).c_str());
  if (!dir) return "";
  std::string node;
  while (dirent* entry = ::readdir(dir))
    if (std::strncmp(entry->d_name, "event", 5) == 0) node = std::string("/dev/input/") + entry->d_name;
  ::closedir(dir);
  return node;
}

bool PointerMakes(const PointerEvent& event, int width, int height) {
  switch (event.type) {
    case EV_SYN: return event.code == SYN_REPORT;
    case EV_KEY: return (event.code == BTN_LEFT || event.code == BTN_RIGHT) && (event.value == 0 || event.value == 1);
    case EV_ABS:
      if (event.code == ABS_X) return event.value >= 0 && event.value < width;
      return event.code == ABS_Y && event.value >= 0 && event.value < height;
    default: return false;
  }
}

bool WriteInputEvents(int fd, const std::vector<PointerEvent>& events) {
  std::vector<input_event> written(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    written[i].type = events[i].type;
    written[i].code = events[i].code;
    written[i].value = events[i].value;
  }
  const std::size_t size = written.size() * sizeof(input_event);
  return ::write(fd, written.data(), size) == static_cast<ssize_t>(size);
}

}  // namespace qx
